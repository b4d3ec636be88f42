#include "Toolkit/Core/AttributeValue.h"

#include <climits>

namespace SkinUI {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexDigit(wchar_t c)
{
    if (IsDigit(c))
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Reads a number at pos the way strtol does; pos moves past it, or stays put when there is none.
int ReadNumber(std::wstring_view text, std::size_t& pos)
{
    constexpr long long kCap = 1LL << 40;
    std::size_t i = pos;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const std::size_t digits = i;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value < kCap)
            value = value * 10 + (text[i] - L'0');
    }
    if (i == digits)
        return 0;
    pos = i;
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// count numbers, one separator character skipped after each (never past the end).
template <std::size_t N>
void ReadNumbers(std::wstring_view text, int (&out)[N])
{
    std::size_t pos = 0;
    for (int& value : out) {
        value = ReadNumber(text, pos);
        if (pos < text.size())
            ++pos;
    }
}

} // namespace

int ParseInt(std::wstring_view text)
{
    std::size_t pos = 0;
    return ReadNumber(text, pos);
}

TSize ParseSize(std::wstring_view text)
{
    int values[2];
    ReadNumbers(text, values);
    return {values[0], values[1]};
}

TPoint ParsePoint(std::wstring_view text)
{
    const TSize size = ParseSize(text);
    return {size.cx, size.cy};
}

TRect ParseRect(std::wstring_view text)
{
    int values[4];
    ReadNumbers(text, values);
    return {values[0], values[1], values[2], values[3]};
}

TColor ParseColor(std::wstring_view text)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == L'#')
        ++i;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    unsigned long long value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<unsigned>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return static_cast<TColor>(value);
}

bool ParseBool(std::wstring_view text) { return text == L"true"; }

void ParseAttributeList(std::wstring_view list,
                        const std::function<void(std::wstring_view name, std::wstring_view value)>& apply)
{
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t equals = list.find(L'=', pos);
        if (equals == std::wstring_view::npos || equals + 1 >= list.size() || list[equals + 1] != L'"')
            return;
        const std::size_t close = list.find(L'"', equals + 2);
        if (close == std::wstring_view::npos)
            return;
        apply(list.substr(pos, equals - pos), list.substr(equals + 2, close - equals - 2));
        pos = close + 1;
        const bool oneBlank = pos < list.size() && list[pos] == L' ' && (pos + 1 >= list.size() || list[pos + 1] != L' ');
        if (!oneBlank)
            return;
        ++pos;
    }
}

} // namespace SkinUI
