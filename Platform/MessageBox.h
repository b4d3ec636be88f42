// The system's own message box, for the one failure shown before any skin exists.
#pragma once

#include "Platform/Types.h"

namespace plat {

constexpr UINT MB_OK = 0x00000000u;
constexpr UINT MB_ICONERROR = 0x00000010u;
constexpr int IDOK = 1;

// Blocks until the box is dismissed; returns the button pressed (IDOK).
int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

} // namespace plat
