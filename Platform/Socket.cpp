// Address text shared by both socket backends.
#include "Platform/Socket.h"

namespace plat {

namespace {

// Reads a decimal number of at most maxDigits digits at text[pos], advancing pos.
bool ReadDecimal(const std::string& text, std::size_t& pos, std::size_t maxDigits, unsigned long* value) {
    const std::size_t start = pos;
    unsigned long result = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < maxDigits) {
        result = result * 10 + static_cast<unsigned long>(text[pos] - '0');
        ++pos;
    }
    *value = result;
    return pos > start;
}

bool ReadIpv4(const std::string& text, std::size_t& pos, std::uint32_t* ip) {
    std::uint32_t result = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (pos >= text.size() || text[pos++] != '.')) {
            return false;
        }
        unsigned long value = 0;
        if (!ReadDecimal(text, pos, 3, &value) || value > 255) {
            return false;
        }
        result = (result << 8) | static_cast<std::uint32_t>(value);
    }
    *ip = result;
    return true;
}

} // namespace

bool ParseSocketAddress(const std::string& text, std::uint16_t defaultPort, SocketAddress* address) {
    std::size_t pos = 0;
    SocketAddress parsed{0, defaultPort};
    if (!ReadIpv4(text, pos, &parsed.ip)) {
        return false;
    }
    if (pos < text.size()) {
        unsigned long port = 0;
        if (text[pos++] != ':' || !ReadDecimal(text, pos, 5, &port) || port == 0 || port > 65535) {
            return false;
        }
        parsed.port = static_cast<std::uint16_t>(port);
    }
    if (pos != text.size()) {
        return false;
    }
    *address = parsed;
    return true;
}

std::string FormatIpv4(std::uint32_t ip) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24) {
            text += '.';
        }
        text += std::to_string((ip >> shift) & 0xFF);
    }
    return text;
}

std::string FormatSocketAddress(const SocketAddress& address) {
    return FormatIpv4(address.ip) + ":" + std::to_string(address.port);
}

} // namespace plat
