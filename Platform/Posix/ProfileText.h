// Internal to the POSIX backend: the profile (INI) reader's text rules, apart from file access
// so that they can be fuzzed.
#pragma once

#include <string>

namespace plat::posix {

// The file's bytes as text: UTF-16LE after FF FE, UTF-16BE after FE FF, UTF-8 after EF BB BF,
// otherwise the ANSI code page.
std::wstring DecodeProfileBytes(const std::string& bytes);

// The value of `key` in the first section named `section` (both without regard to case), with
// surrounding blanks and one pair of matching quotes removed. False when there is none.
bool FindProfileValue(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                      std::wstring* value);

} // namespace plat::posix
