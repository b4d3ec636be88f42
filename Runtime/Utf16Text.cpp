#include "Runtime/Utf16Text.h"

#include <cstdint>

std::string WideToUtf16LeBytes(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    auto put = [&bytes](std::uint32_t unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF) {  // only where wchar_t holds whole code points
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return bytes;
}
