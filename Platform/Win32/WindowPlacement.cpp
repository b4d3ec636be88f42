// Placement, state, owners, enabling and activation of windows: the system's own calls.
#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Window.h"

#include <cstddef>
#include <cstdint>

namespace plat {

namespace {
constexpr bool SameBits(auto neutral, auto system) {
    return static_cast<std::uint32_t>(neutral) == static_cast<std::uint32_t>(system);
}
} // namespace

static_assert(SameBits(GWL_EXSTYLE, sys::GWL_EXSTYLE_));
static_assert(SameBits(GWL_STYLE, sys::GWL_STYLE_));
static_assert(SameBits(HTBORDER, sys::HTBORDER_));
static_assert(SameBits(HTBOTTOM, sys::HTBOTTOM_));
static_assert(SameBits(HTBOTTOMLEFT, sys::HTBOTTOMLEFT_));
static_assert(SameBits(HTBOTTOMRIGHT, sys::HTBOTTOMRIGHT_));
static_assert(SameBits(HTCAPTION, sys::HTCAPTION_));
static_assert(SameBits(HTCLIENT, sys::HTCLIENT_));
static_assert(SameBits(HTCLOSE, sys::HTCLOSE_));
static_assert(SameBits(HTERROR, sys::HTERROR_));
static_assert(SameBits(HTLEFT, sys::HTLEFT_));
static_assert(SameBits(HTMAXBUTTON, sys::HTMAXBUTTON_));
static_assert(SameBits(HTMINBUTTON, sys::HTMINBUTTON_));
static_assert(SameBits(HTNOWHERE, sys::HTNOWHERE_));
static_assert(SameBits(HTRIGHT, sys::HTRIGHT_));
static_assert(SameBits(HTSYSMENU, sys::HTSYSMENU_));
static_assert(SameBits(HTTOP, sys::HTTOP_));
static_assert(SameBits(HTTOPLEFT, sys::HTTOPLEFT_));
static_assert(SameBits(HTTOPRIGHT, sys::HTTOPRIGHT_));
static_assert(SameBits(HTTRANSPARENT, sys::HTTRANSPARENT_));
static_assert(SameBits(MA_ACTIVATE, sys::MA_ACTIVATE_));
static_assert(SameBits(MA_NOACTIVATE, sys::MA_NOACTIVATE_));
static_assert(SameBits(SC_CLOSE, sys::SC_CLOSE_));
static_assert(SameBits(SC_MAXIMIZE, sys::SC_MAXIMIZE_));
static_assert(SameBits(SC_MINIMIZE, sys::SC_MINIMIZE_));
static_assert(SameBits(SC_MOVE, sys::SC_MOVE_));
static_assert(SameBits(SC_RESTORE, sys::SC_RESTORE_));
static_assert(SameBits(SC_SIZE, sys::SC_SIZE_));
static_assert(SameBits(SIZE_MAXIMIZED, sys::SIZE_MAXIMIZED_));
static_assert(SameBits(SIZE_MINIMIZED, sys::SIZE_MINIMIZED_));
static_assert(SameBits(SIZE_RESTORED, sys::SIZE_RESTORED_));
static_assert(SameBits(SWP_FRAMECHANGED, sys::SWP_FRAMECHANGED_));
static_assert(SameBits(SWP_HIDEWINDOW, sys::SWP_HIDEWINDOW_));
static_assert(SameBits(SWP_NOACTIVATE, sys::SWP_NOACTIVATE_));
static_assert(SameBits(SWP_NOMOVE, sys::SWP_NOMOVE_));
static_assert(SameBits(SWP_NOOWNERZORDER, sys::SWP_NOOWNERZORDER_));
static_assert(SameBits(SWP_NOREDRAW, sys::SWP_NOREDRAW_));
static_assert(SameBits(SWP_NOSIZE, sys::SWP_NOSIZE_));
static_assert(SameBits(SWP_NOZORDER, sys::SWP_NOZORDER_));
static_assert(SameBits(SWP_SHOWWINDOW, sys::SWP_SHOWWINDOW_));
static_assert(SameBits(SW_HIDE, sys::SW_HIDE_));
static_assert(SameBits(SW_MAXIMIZE, sys::SW_MAXIMIZE_));
static_assert(SameBits(SW_MINIMIZE, sys::SW_MINIMIZE_));
static_assert(SameBits(SW_RESTORE, sys::SW_RESTORE_));
static_assert(SameBits(SW_SHOW, sys::SW_SHOW_));
static_assert(SameBits(SW_SHOWMINIMIZED, sys::SW_SHOWMINIMIZED_));
static_assert(SameBits(SW_SHOWMINNOACTIVE, sys::SW_SHOWMINNOACTIVE_));
static_assert(SameBits(SW_SHOWNA, sys::SW_SHOWNA_));
static_assert(SameBits(SW_SHOWNOACTIVATE, sys::SW_SHOWNOACTIVATE_));
static_assert(SameBits(SW_SHOWNORMAL, sys::SW_SHOWNORMAL_));
static_assert(SameBits(WA_ACTIVE, sys::WA_ACTIVE_));
static_assert(SameBits(WA_CLICKACTIVE, sys::WA_CLICKACTIVE_));
static_assert(SameBits(WA_INACTIVE, sys::WA_INACTIVE_));
static_assert(SameBits(WM_ACTIVATE, sys::WM_ACTIVATE_));
static_assert(SameBits(WM_ACTIVATEAPP, sys::WM_ACTIVATEAPP_));
static_assert(SameBits(WM_CANCELMODE, sys::WM_CANCELMODE_));
static_assert(SameBits(WM_CAPTURECHANGED, sys::WM_CAPTURECHANGED_));
static_assert(SameBits(WM_CHAR, sys::WM_CHAR_));
static_assert(SameBits(WM_COMMAND, sys::WM_COMMAND_));
static_assert(SameBits(WM_CONTEXTMENU, sys::WM_CONTEXTMENU_));
static_assert(SameBits(WM_CTLCOLOREDIT, sys::WM_CTLCOLOREDIT_));
static_assert(SameBits(WM_CTLCOLORSTATIC, sys::WM_CTLCOLORSTATIC_));
static_assert(SameBits(WM_ENABLE, sys::WM_ENABLE_));
static_assert(SameBits(WM_ENTERSIZEMOVE, sys::WM_ENTERSIZEMOVE_));
static_assert(SameBits(WM_ERASEBKGND, sys::WM_ERASEBKGND_));
static_assert(SameBits(WM_EXITSIZEMOVE, sys::WM_EXITSIZEMOVE_));
static_assert(SameBits(WM_GETMINMAXINFO, sys::WM_GETMINMAXINFO_));
static_assert(SameBits(WM_KEYDOWN, sys::WM_KEYDOWN_));
static_assert(SameBits(WM_KEYUP, sys::WM_KEYUP_));
static_assert(SameBits(WM_KILLFOCUS, sys::WM_KILLFOCUS_));
static_assert(SameBits(WM_LBUTTONDBLCLK, sys::WM_LBUTTONDBLCLK_));
static_assert(SameBits(WM_LBUTTONDOWN, sys::WM_LBUTTONDOWN_));
static_assert(SameBits(WM_LBUTTONUP, sys::WM_LBUTTONUP_));
static_assert(SameBits(WM_MOUSEACTIVATE, sys::WM_MOUSEACTIVATE_));
static_assert(SameBits(WM_MOUSEHOVER, sys::WM_MOUSEHOVER_));
static_assert(SameBits(WM_MOUSELEAVE, sys::WM_MOUSELEAVE_));
static_assert(SameBits(WM_MOUSEMOVE, sys::WM_MOUSEMOVE_));
static_assert(SameBits(WM_MOUSEWHEEL, sys::WM_MOUSEWHEEL_));
static_assert(SameBits(WM_MOVE, sys::WM_MOVE_));
static_assert(SameBits(WM_NCACTIVATE, sys::WM_NCACTIVATE_));
static_assert(SameBits(WM_NCCALCSIZE, sys::WM_NCCALCSIZE_));
static_assert(SameBits(WM_NCHITTEST, sys::WM_NCHITTEST_));
static_assert(SameBits(WM_NCLBUTTONDBLCLK, sys::WM_NCLBUTTONDBLCLK_));
static_assert(SameBits(WM_NCLBUTTONDOWN, sys::WM_NCLBUTTONDOWN_));
static_assert(SameBits(WM_NCLBUTTONUP, sys::WM_NCLBUTTONUP_));
static_assert(SameBits(WM_NCMOUSELEAVE, sys::WM_NCMOUSELEAVE_));
static_assert(SameBits(WM_NCMOUSEMOVE, sys::WM_NCMOUSEMOVE_));
static_assert(SameBits(WM_NCPAINT, sys::WM_NCPAINT_));
static_assert(SameBits(WM_NCRBUTTONDOWN, sys::WM_NCRBUTTONDOWN_));
static_assert(SameBits(WM_NCRBUTTONUP, sys::WM_NCRBUTTONUP_));
static_assert(SameBits(WM_NOTIFY, sys::WM_NOTIFY_));
static_assert(SameBits(WM_PAINT, sys::WM_PAINT_));
static_assert(SameBits(WM_PRINTCLIENT, sys::WM_PRINTCLIENT_));
static_assert(SameBits(WM_RBUTTONDBLCLK, sys::WM_RBUTTONDBLCLK_));
static_assert(SameBits(WM_RBUTTONDOWN, sys::WM_RBUTTONDOWN_));
static_assert(SameBits(WM_RBUTTONUP, sys::WM_RBUTTONUP_));
static_assert(SameBits(WM_SETCURSOR, sys::WM_SETCURSOR_));
static_assert(SameBits(WM_SETFOCUS, sys::WM_SETFOCUS_));
static_assert(SameBits(WM_SHOWWINDOW, sys::WM_SHOWWINDOW_));
static_assert(SameBits(WM_SIZE, sys::WM_SIZE_));
static_assert(SameBits(WM_SYSCHAR, sys::WM_SYSCHAR_));
static_assert(SameBits(WM_SYSCOMMAND, sys::WM_SYSCOMMAND_));
static_assert(SameBits(WM_SYSKEYDOWN, sys::WM_SYSKEYDOWN_));
static_assert(SameBits(WM_SYSKEYUP, sys::WM_SYSKEYUP_));
static_assert(SameBits(WM_WINDOWPOSCHANGED, sys::WM_WINDOWPOSCHANGED_));
static_assert(SameBits(WM_WINDOWPOSCHANGING, sys::WM_WINDOWPOSCHANGING_));
static_assert(SameBits(WS_BORDER, sys::WS_BORDER_));
static_assert(SameBits(WS_CAPTION, sys::WS_CAPTION_));
static_assert(SameBits(WS_CHILD, sys::WS_CHILD_));
static_assert(SameBits(WS_CLIPCHILDREN, sys::WS_CLIPCHILDREN_));
static_assert(SameBits(WS_CLIPSIBLINGS, sys::WS_CLIPSIBLINGS_));
static_assert(SameBits(WS_DISABLED, sys::WS_DISABLED_));
static_assert(SameBits(WS_DLGFRAME, sys::WS_DLGFRAME_));
static_assert(SameBits(WS_EX_APPWINDOW, sys::WS_EX_APPWINDOW_));
static_assert(SameBits(WS_EX_LAYERED, sys::WS_EX_LAYERED_));
static_assert(SameBits(WS_EX_NOACTIVATE, sys::WS_EX_NOACTIVATE_));
static_assert(SameBits(WS_EX_TOOLWINDOW, sys::WS_EX_TOOLWINDOW_));
static_assert(SameBits(WS_EX_TOPMOST, sys::WS_EX_TOPMOST_));
static_assert(SameBits(WS_EX_TRANSPARENT, sys::WS_EX_TRANSPARENT_));
static_assert(SameBits(WS_MAXIMIZE, sys::WS_MAXIMIZE_));
static_assert(SameBits(WS_MAXIMIZEBOX, sys::WS_MAXIMIZEBOX_));
static_assert(SameBits(WS_MINIMIZE, sys::WS_MINIMIZE_));
static_assert(SameBits(WS_MINIMIZEBOX, sys::WS_MINIMIZEBOX_));
static_assert(SameBits(WS_OVERLAPPED, sys::WS_OVERLAPPED_));
static_assert(SameBits(WS_OVERLAPPEDWINDOW, sys::WS_OVERLAPPEDWINDOW_));
static_assert(SameBits(WS_POPUP, sys::WS_POPUP_));
static_assert(SameBits(WS_SYSMENU, sys::WS_SYSMENU_));
static_assert(SameBits(WS_THICKFRAME, sys::WS_THICKFRAME_));
static_assert(SameBits(WS_VISIBLE, sys::WS_VISIBLE_));

// The neutral structures are the system's, so message parameters pass through unchanged.
static_assert(sizeof(RECT) == sizeof(::RECT) && offsetof(RECT, bottom) == offsetof(::RECT, bottom));
static_assert(sizeof(MINMAXINFO) == sizeof(::MINMAXINFO) &&
              offsetof(MINMAXINFO, ptMaxTrackSize) == offsetof(::MINMAXINFO, ptMaxTrackSize));
static_assert(sizeof(WINDOWPOS) == sizeof(::WINDOWPOS) && offsetof(WINDOWPOS, flags) == offsetof(::WINDOWPOS, flags));
static_assert(sizeof(NCCALCSIZE_PARAMS) == sizeof(::NCCALCSIZE_PARAMS) &&
              offsetof(NCCALCSIZE_PARAMS, lppos) == offsetof(::NCCALCSIZE_PARAMS, lppos));

using win32::Native;
using win32::Neutral;

namespace {

::RECT* NativeRect(RECT* rect) { return reinterpret_cast<::RECT*>(rect); }
::POINT* NativePoint(POINT* point) { return reinterpret_cast<::POINT*>(point); }

RECT NeutralRect(const ::RECT& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

} // namespace

bool ShowWindow(HWND window, int command) { return ::ShowWindow(Native(window), command) != FALSE; }

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    return ::SetWindowPos(Native(window), Native(insertAfter), x, y, width, height, flags) != FALSE;
}

bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    return ::MoveWindow(Native(window), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

bool GetWindowRect(HWND window, RECT* rect) { return ::GetWindowRect(Native(window), NativeRect(rect)) != FALSE; }

bool GetClientRect(HWND window, RECT* rect) { return ::GetClientRect(Native(window), NativeRect(rect)) != FALSE; }

bool ScreenToClient(HWND window, POINT* point) {
    return ::ScreenToClient(Native(window), NativePoint(point)) != FALSE;
}

bool ClientToScreen(HWND window, POINT* point) {
    return ::ClientToScreen(Native(window), NativePoint(point)) != FALSE;
}

bool IsWindowVisible(HWND window) { return ::IsWindowVisible(Native(window)) != FALSE; }

bool IsIconic(HWND window) { return ::IsIconic(Native(window)) != FALSE; }

bool IsZoomed(HWND window) { return ::IsZoomed(Native(window)) != FALSE; }

HWND GetWindowOwner(HWND window) { return Neutral(::GetWindow(Native(window), GW_OWNER)); }

HWND GetParent(HWND window) { return Neutral(::GetParent(Native(window))); }

bool GetNearestMonitorArea(HWND window, MonitorArea* area) {
    const ::HMONITOR monitor = ::MonitorFromWindow(Native(window), MONITOR_DEFAULTTONEAREST);
    ::MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!area || !::GetMonitorInfoW(monitor, &info)) {
        return false;
    }
    area->monitor = NeutralRect(info.rcMonitor);
    area->work = NeutralRect(info.rcWork);
    return true;
}

bool SetWindowRoundRegion(HWND window, int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight, bool redraw) {
    const ::HRGN region = ::CreateRoundRectRgn(left, top, right, bottom, ellipseWidth, ellipseHeight);
    if (!region) {
        return false;
    }
    // The system owns the region once it is set.
    if (!::SetWindowRgn(Native(window), region, redraw ? TRUE : FALSE)) {
        ::DeleteObject(region);
        return false;
    }
    return true;
}

bool ClearWindowRegion(HWND window, bool redraw) {
    return ::SetWindowRgn(Native(window), nullptr, redraw ? TRUE : FALSE) != 0;
}

bool EnableWindow(HWND window, bool enable) { return ::EnableWindow(Native(window), enable ? TRUE : FALSE) != FALSE; }

bool IsWindowEnabled(HWND window) { return ::IsWindowEnabled(Native(window)) != FALSE; }

HWND SetActiveWindow(HWND window) { return Neutral(::SetActiveWindow(Native(window))); }

HWND GetActiveWindow() { return Neutral(::GetActiveWindow()); }

bool SetForegroundWindow(HWND window) { return ::SetForegroundWindow(Native(window)) != FALSE; }

bool EnableSystemMenuClose(HWND window, bool enable) {
    const ::HMENU menu = ::GetSystemMenu(Native(window), FALSE);
    if (!menu) {
        return false;
    }
    return ::EnableMenuItem(menu, sys::SC_CLOSE_, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED)) != -1;
}

} // namespace plat
