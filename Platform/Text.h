// Code-page conversions with the system's substitution rules.
#pragma once

#include "Platform/Types.h"

namespace plat {

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// MultiByteToWideChar(codePage, 0, ...): units written (or needed when outSize is 0), 0 on failure.
// Invalid UTF-8 becomes U+FFFD, as the system does.
int MultiByteToWideChar(UINT codePage, const char* text, int length, wchar_t* out, int outSize);

// WideCharToMultiByte(codePage, 0, ...): bytes written (or needed when outSize is 0), 0 on
// failure. For CP_ACP a character the code page cannot represent becomes defaultChar (if given).
int WideCharToMultiByte(UINT codePage, const wchar_t* text, int length, char* out, int outSize,
                        const char* defaultChar);

// The ANSI code page in force (936 on the players' machines).
UINT GetACP();

} // namespace plat
