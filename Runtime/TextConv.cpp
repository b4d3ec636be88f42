#include "Runtime/TextConv.h"

#include "Platform/Text.h"

#include <climits>
#include <cwctype>

namespace {

// Measures first, then converts: the result always has room, whatever the code page needs.
std::wstring ToWide(plat::UINT codePage, const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = plat::MultiByteToWideChar(codePage, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    const int written = plat::MultiByteToWideChar(codePage, text.data(), length, out.data(), needed);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

std::string ToNarrow(plat::UINT codePage, const std::wstring& text, const char* defaultChar) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = plat::WideCharToMultiByte(codePage, text.data(), length, nullptr, 0, defaultChar);
    if (needed <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int written =
        plat::WideCharToMultiByte(codePage, text.data(), length, out.data(), needed, defaultChar);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

} // namespace

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(plat::CP_ACP, text);
}

std::string WideToAnsi(const std::wstring& text) {
    // The system refuses a default character when the ANSI code page is UTF-8 (which shows everything).
    const char* blank = plat::GetACP() == plat::CP_UTF8 ? nullptr : " ";
    return ToNarrow(plat::CP_ACP, text, blank);
}

std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(plat::CP_UTF8, text);
}

std::string WideToUtf8(const std::wstring& text) {
    return ToNarrow(plat::CP_UTF8, text, nullptr);
}

std::wstring ToLower(const std::wstring& text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return out;
}

void Trim(std::wstring& text) {
    auto isSpace = [](wchar_t c) { return std::iswspace(static_cast<std::wint_t>(c)) != 0; };
    std::size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1])) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && isSpace(text[begin])) {
        ++begin;
    }
    text = text.substr(begin, end - begin);
}
