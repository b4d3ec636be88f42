// Reads back what the file logger wrote: UTF-16LE code units.
#pragma once

#include "tests/support/TempFolder.h"

#include <string>

inline std::wstring ReadUtf16File(const std::wstring& path) {
    const std::string bytes = testsupport::TempFolder::ReadFile(path);
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        const bool pairs = sizeof(wchar_t) == 4 && unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size();
        if (pairs) {
            const unsigned low =
                static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else {
            text += static_cast<wchar_t>(unit);
        }
    }
    return text;
}
