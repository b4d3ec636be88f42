// Conversions between the program's wide strings and narrow text, and small wide-string helpers.
#pragma once

#include <string>

// Narrow text in the ANSI code page <-> wide. Characters the code page cannot show become blanks.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

// UTF-8 <-> wide. Invalid UTF-8 becomes the system's substitution character.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// A copy with every code unit passed through towlower.
std::wstring ToLower(const std::wstring& text);

// Removes leading and trailing white space in place.
void Trim(std::wstring& text);
