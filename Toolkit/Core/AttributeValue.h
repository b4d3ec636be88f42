// The value syntax every markup attribute shares, and the name -> setter tables controls apply
// attributes through. Every reader stops at the end of its text: missing numbers read as 0.
#pragma once

#include "Toolkit/Core/UIDefs.h"

#include <functional>
#include <span>
#include <string_view>

namespace SkinUI {

// Decimal, optionally signed, after leading white space; reading stops at the first character
// that is not part of the number. No number gives 0; out-of-range values saturate.
int ParseInt(std::wstring_view text);
// Two or four numbers, exactly one character skipped after each one.
TSize ParseSize(std::wstring_view text);
TPoint ParsePoint(std::wstring_view text);
TRect ParseRect(std::wstring_view text);
// Up to eight hexadecimal digits AARRGGBB, with or without a leading "#".
TColor ParseColor(std::wstring_view text);
// True only for the exact text "true".
bool ParseBool(std::wstring_view text);

// Reads `name="value"` pairs separated by one blank and hands each to apply; anything that does
// not fit that shape ends the list silently.
void ParseAttributeList(std::wstring_view list,
                        const std::function<void(std::wstring_view name, std::wstring_view value)>& apply);

// One row of a control's attribute table.
template <typename TControl>
struct TAttributeSetter {
    const wchar_t* name;
    void (*apply)(TControl& control, std::wstring_view value);
};

// Applies the row named `name`; false when the table has none.
template <typename TControl>
bool ApplyAttribute(std::span<const TAttributeSetter<TControl>> table, TControl& control, std::wstring_view name,
                    std::wstring_view value)
{
    for (const TAttributeSetter<TControl>& row : table) {
        if (name == row.name) {
            row.apply(control, value);
            return true;
        }
    }
    return false;
}

} // namespace SkinUI
