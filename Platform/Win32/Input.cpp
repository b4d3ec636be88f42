// Focus, capture, mouse tracking, cursors and key state: the system's own calls.
#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Input.h"

#include <cstdint>

namespace plat {

namespace {
constexpr bool SameBits(auto neutral, auto system) {
    return static_cast<std::uint32_t>(neutral) == static_cast<std::uint32_t>(system);
}
} // namespace

static_assert(SameBits(HOVER_DEFAULT, sys::HOVER_DEFAULT_));
static_assert(SameBits(MK_CONTROL, sys::MK_CONTROL_));
static_assert(SameBits(MK_LBUTTON, sys::MK_LBUTTON_));
static_assert(SameBits(MK_MBUTTON, sys::MK_MBUTTON_));
static_assert(SameBits(MK_RBUTTON, sys::MK_RBUTTON_));
static_assert(SameBits(MK_SHIFT, sys::MK_SHIFT_));
static_assert(SameBits(TME_CANCEL, sys::TME_CANCEL_));
static_assert(SameBits(TME_HOVER, sys::TME_HOVER_));
static_assert(SameBits(TME_LEAVE, sys::TME_LEAVE_));
static_assert(SameBits(VK_BACK, sys::VK_BACK_));
static_assert(SameBits(VK_CONTROL, sys::VK_CONTROL_));
static_assert(SameBits(VK_DELETE, sys::VK_DELETE_));
static_assert(SameBits(VK_DOWN, sys::VK_DOWN_));
static_assert(SameBits(VK_END, sys::VK_END_));
static_assert(SameBits(VK_ESCAPE, sys::VK_ESCAPE_));
static_assert(SameBits(VK_F1, sys::VK_F1_));
static_assert(SameBits(VK_F4, sys::VK_F4_));
static_assert(SameBits(VK_HOME, sys::VK_HOME_));
static_assert(SameBits(VK_INSERT, sys::VK_INSERT_));
static_assert(SameBits(VK_LBUTTON, sys::VK_LBUTTON_));
static_assert(SameBits(VK_LEFT, sys::VK_LEFT_));
static_assert(SameBits(VK_MBUTTON, sys::VK_MBUTTON_));
static_assert(SameBits(VK_MENU, sys::VK_MENU_));
static_assert(SameBits(VK_NEXT, sys::VK_NEXT_));
static_assert(SameBits(VK_PRIOR, sys::VK_PRIOR_));
static_assert(SameBits(VK_RBUTTON, sys::VK_RBUTTON_));
static_assert(SameBits(VK_RETURN, sys::VK_RETURN_));
static_assert(SameBits(VK_RIGHT, sys::VK_RIGHT_));
static_assert(SameBits(VK_SHIFT, sys::VK_SHIFT_));
static_assert(SameBits(VK_SPACE, sys::VK_SPACE_));
static_assert(SameBits(VK_TAB, sys::VK_TAB_));
static_assert(SameBits(VK_UP, sys::VK_UP_));
static_assert(SameBits(WHEEL_DELTA, sys::WHEEL_DELTA_));

using win32::Native;
using win32::Neutral;

namespace {

::HCURSOR NativeCursor(HCURSOR cursor) { return reinterpret_cast<::HCURSOR>(cursor); }
HCURSOR NeutralCursor(::HCURSOR cursor) { return reinterpret_cast<HCURSOR>(cursor); }

} // namespace

HWND SetFocus(HWND window) { return Neutral(::SetFocus(Native(window))); }

HWND GetFocus() { return Neutral(::GetFocus()); }

HWND SetCapture(HWND window) { return Neutral(::SetCapture(Native(window))); }

bool ReleaseCapture() { return ::ReleaseCapture() != FALSE; }

HWND GetCapture() { return Neutral(::GetCapture()); }

bool TrackMouseEvent(HWND window, DWORD flags, DWORD hoverMs) {
    ::TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = flags;
    request.hwndTrack = Native(window);
    request.dwHoverTime = hoverMs;
    return ::TrackMouseEvent(&request) != FALSE;
}

HCURSOR LoadStandardCursor(int id) { return NeutralCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(id))); }

HCURSOR SetCursor(HCURSOR cursor) { return NeutralCursor(::SetCursor(NativeCursor(cursor))); }

HCURSOR GetCursor() { return NeutralCursor(::GetCursor()); }

bool GetCursorPos(POINT* point) { return ::GetCursorPos(reinterpret_cast<::POINT*>(point)) != FALSE; }

short GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

UINT GetDoubleClickTime() { return ::GetDoubleClickTime(); }

} // namespace plat
