#include "Platform/Posix/ProfileText.h"

#include "Platform/File.h"
#include "Platform/Profile.h"
#include "Platform/Text.h"
#include "Platform/Thread.h"

#include <cwctype>
#include <string_view>

namespace plat::posix {

namespace {

// The system reader counts Ctrl-Z as blank too (files cut by old editors end with it).
bool IsProfileSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) || c == 0x1A; }

std::wstring_view TrimProfile(std::wstring_view text) {
    while (!text.empty() && IsProfileSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsProfileSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::wstring Utf16Units(const std::string& bytes, std::size_t from, bool bigEndian) {
    std::wstring text;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        const unsigned b0 = static_cast<unsigned char>(bytes[i]);
        const unsigned b1 = static_cast<unsigned char>(bytes[i + 1]);
        unsigned unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        if constexpr (sizeof(wchar_t) == 4) {
            if (high && i + 3 < bytes.size()) {
                const unsigned c0 = static_cast<unsigned char>(bytes[i + 2]);
                const unsigned c1 = static_cast<unsigned char>(bytes[i + 3]);
                const unsigned low = bigEndian ? (c0 << 8 | c1) : (c1 << 8 | c0);
                if (low >= 0xDC00 && low < 0xE000) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
        }
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

std::wstring Narrow(const std::string& bytes, std::size_t from, UINT codePage) {
    const char* start = bytes.data() + from;
    const int length = static_cast<int>(bytes.size() - from);
    if (length <= 0) {
        return std::wstring();
    }
    const int needed = MultiByteToWideChar(codePage, start, length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) {
        MultiByteToWideChar(codePage, start, length, text.data(), needed);
    }
    return text;
}

std::wstring_view WithoutQuotes(std::wstring_view value) {
    if (value.size() > 1 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

std::wstring DecodeProfileBytes(const std::string& bytes) {
    const auto starts = [&bytes](std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; };
    if (starts("\xFF\xFE")) {
        return Utf16Units(bytes, 2, false);
    }
    if (starts("\xFE\xFF")) {
        return Utf16Units(bytes, 2, true);
    }
    if (starts("\xEF\xBB\xBF")) {
        return Narrow(bytes, 3, CP_UTF8);
    }
    return Narrow(bytes, 0, CP_ACP);
}

bool FindProfileValue(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                      std::wstring* value) {
    // Only the first section of that name is searched, as the system reader does.
    enum { Before, Inside, After } state = section.empty() ? Inside : Before;
    std::wstring_view rest = text;
    while (!rest.empty() && state != After) {
        const std::size_t end = rest.find(L'\n');
        const std::wstring_view line = TrimProfile(rest.substr(0, end));
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
        if (line.empty()) {
            continue;
        }
        const std::size_t close = line.front() == L'[' ? line.rfind(L']') : std::wstring_view::npos;
        if (close != std::wstring_view::npos) {
            const bool matches = SameName(line.substr(1, close - 1), section);
            state = state == Inside ? After : (matches ? Inside : Before);
            continue;
        }
        if (state != Inside) {
            continue;
        }
        const std::size_t equals = line.find(L'=');
        const std::wstring_view name = TrimProfile(line.substr(0, equals));
        if (SameName(name, key)) {
            *value = equals == std::wstring_view::npos ? std::wstring()
                                                       : std::wstring(WithoutQuotes(TrimProfile(line.substr(equals + 1))));
            return true;
        }
    }
    return false;
}

} // namespace plat::posix

namespace plat {

namespace {

bool ReadWholeFile(const wchar_t* path, std::string* bytes) {
    HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char chunk[8192];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got) && got > 0) {
        bytes->append(chunk, got);
    }
    CloseHandle(file);
    return true;
}

DWORD CopyOut(const std::wstring& value, wchar_t* buffer, DWORD size) {
    if (!buffer || size == 0) {
        return 0;
    }
    const DWORD count = static_cast<DWORD>(value.size() < size ? value.size() : size - 1);
    value.copy(buffer, count);
    buffer[count] = L'\0';
    return count;
}

} // namespace

DWORD GetPrivateProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                              wchar_t* buffer, DWORD size, const wchar_t* path) {
    // The system drops trailing blanks of the default.
    std::wstring value = defaultValue ? std::wstring(defaultValue) : std::wstring();
    while (!value.empty() && value.back() == L' ') {
        value.pop_back();
    }
    std::string bytes;
    if (section && key && path && ReadWholeFile(path, &bytes)) {
        std::wstring found;
        if (posix::FindProfileValue(posix::DecodeProfileBytes(bytes), section, key, &found)) {
            value = found;
        }
    }
    return CopyOut(value, buffer, size);
}

} // namespace plat
