#include "Platform/Posix/Utf8.h"

#include <cstdint>

namespace plat::posix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct LeadByte {
    int trailCount; // -1: not a lead byte
    char32_t bits;
    int firstTrailMin;
    int firstTrailMax;
};

// The well-formed ranges: no overlong forms, no surrogates, nothing past U+10FFFF.
LeadByte ClassifyLead(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {1, char32_t(byte & 0x1F), 0x80, 0xBF};
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        return {2, char32_t(byte & 0x0F), byte == 0xE0 ? 0xA0 : 0x80, byte == 0xED ? 0x9F : 0xBF};
    }
    if (byte >= 0xF0 && byte <= 0xF4) {
        return {3, char32_t(byte & 0x07), byte == 0xF0 ? 0x90 : 0x80, byte == 0xF4 ? 0x8F : 0xBF};
    }
    return {-1, 0, 0, 0};
}

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::wstring DecodeUtf8(const char* text, std::size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::wstring out;
    out.reserve(length);
    std::size_t i = 0;
    while (i < length) {
        if (bytes[i] < 0x80) {
            out += wchar_t(bytes[i++]);
            continue;
        }
        const LeadByte lead = ClassifyLead(bytes[i++]);
        if (lead.trailCount < 0) {
            out += wchar_t(kReplacement);
            continue;
        }
        char32_t code = lead.bits;
        int low = lead.firstTrailMin;
        int high = lead.firstTrailMax;
        int taken = 0;
        while (taken < lead.trailCount && i < length && bytes[i] >= low && bytes[i] <= high) {
            code = (code << 6) | (bytes[i++] & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++taken;
        }
        out += wchar_t(taken == lead.trailCount ? code : kReplacement);
    }
    return out;
}

std::string EncodeUtf8(const wchar_t* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        char32_t code = unit;
        if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
            code = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > 0x10FFFF) {
            code = kReplacement;
        }
        AppendUtf8(out, code);
    }
    return out;
}

} // namespace plat::posix
