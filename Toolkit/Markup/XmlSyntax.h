// Character classes shared by the parser and the attribute index of CXmlNode.
#pragma once

namespace SkinUI::xml {

constexpr bool IsSpace(wchar_t c) { return static_cast<unsigned long>(c) <= 32; }

// ASCII only, so that both wchar_t widths and every locale agree on what a name is.
constexpr bool IsNameChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L':';
}

} // namespace SkinUI::xml
