// Wide text as UTF-16 little-endian bytes, whatever the width of wchar_t: the form text takes
// where it leaves the program in files (install record, file logger).
#pragma once

#include <string>

std::string WideToUtf16LeBytes(const std::wstring& text);
