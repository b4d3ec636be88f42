// The system's profile (INI) reader.
#pragma once

#include "Platform/Types.h"

namespace plat {

// GetPrivateProfileStringW for one key: copies the value of `key` in `section` of the file (or
// `defaultValue` when the file, section or key is missing) into buffer, cut to size - 1
// characters, and returns the number of characters copied. Section and key names match without
// regard to case; surrounding blanks and one pair of matching quotes are removed from the value.
// Files in UTF-16LE with a byte-order mark, in UTF-8 with one, or in the ANSI code page are read.
DWORD GetPrivateProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                              wchar_t* buffer, DWORD size, const wchar_t* path);

} // namespace plat
