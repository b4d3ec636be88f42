// Keyboard focus, mouse capture, mouse tracking, cursors and the input state a window reads
// while it handles a message. Coordinates are screen pixels unless a message says otherwise.
#pragma once

#include "Platform/Window.h"

namespace plat {

struct OpaqueCursor;
using HCURSOR = OpaqueCursor*;

// The window that receives key messages; WM_KILLFOCUS goes to the previous one, WM_SETFOCUS
// to the new one. Returns the previous focus (null when there was none or `window` is invalid).
HWND SetFocus(HWND window);
HWND GetFocus();

// While a window holds the capture every mouse message goes to it, as client-area messages.
// The window losing the capture gets WM_CAPTURECHANGED (lParam: the new holder).
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture();

// TrackMouseEvent: one WM_MOUSEHOVER after the mouse rests `hoverMs` over the client area and/or
// one WM_MOUSELEAVE when it leaves it; each request ends with its message (or TME_CANCEL).
constexpr DWORD TME_HOVER = 0x00000001u;
constexpr DWORD TME_LEAVE = 0x00000002u;
constexpr DWORD TME_CANCEL = 0x80000000u;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFFu;
bool TrackMouseEvent(HWND window, DWORD flags, DWORD hoverMs = HOVER_DEFAULT);

// The standard cursors by their resource numbers.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
// LoadCursor(NULL, IDC_...): null for a number that is not a standard cursor.
HCURSOR LoadStandardCursor(int id);
// Returns the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

bool GetCursorPos(POINT* point);

// Virtual-key codes ('0'..'9' and 'A'..'Z' are their characters).
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F4 = 0x73;

// The key's state as of the message being handled: the high bit (value < 0) while it is down.
short GetKeyState(int virtualKey);

// Key and button flags in the wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// WM_MOUSEWHEEL: the high word of wParam is the signed distance, WHEEL_DELTA per notch, positive
// away from the user; lParam is the cursor in screen coordinates.
constexpr int WHEEL_DELTA = 120;
constexpr int WheelDeltaOf(WPARAM wParam) { return static_cast<short>(HighWord(wParam)); }

// Two presses closer in time than this (ms) and in place make a double click.
UINT GetDoubleClickTime();

} // namespace plat
