// The standard tooltip window: one per owner window, showing one text at a time near the mouse.
#pragma once

#include "Platform/Window.h"

#include <string>

namespace plat {

// A hidden tooltip popup owned by `owner`; null on failure. DestroyWindow frees it.
HWND CreateToolTip(HWND owner, HINSTANCE instance);
// Shows text for the tool rectangle (client coordinates of owner) below the cursor. "\r\n"
// breaks lines; longer lines wrap at maxWidth pixels.
bool ShowToolTip(HWND toolTip, HWND owner, const RECT& tool, const std::wstring& text, int maxWidth);
bool HideToolTip(HWND toolTip);
// How long (ms) the mouse rests before the tip shows.
UINT GetToolTipInitialDelay(HWND toolTip);

} // namespace plat
