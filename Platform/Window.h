// The window message core: classes, windows, queues, posted and sent messages, timers; then the
// windows themselves: styles, placement, showing, minimise and maximise, owners, enabling and
// activation. Messages of a window go to the queue of the thread that created it. PostMessage is
// safe from any thread and wakes a GetMessage blocked on the receiving thread at once.
// Input (focus, capture, mouse tracking, cursors, keys) is in Input.h, painting in Draw.h.
#pragma once

#include "Platform/Types.h"

namespace plat {

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR timerId, DWORD tickCount);

struct POINT {
    long x;
    long y;
};

struct RECT {
    long left;
    long top;
    long right;
    long bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCCALCSIZE = 0x0083;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_PRINTCLIENT = 0x0318;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr int GWLP_WNDPROC = -4;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_STYLE = -16;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_MAXIMIZE = 0x01000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_DLGFRAME = 0x00400000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;

// Extended window styles. A layered window with WS_EX_TRANSPARENT lets the mouse through.
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020u;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
constexpr DWORD WS_EX_LAYERED = 0x00080000u;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000u;

// The parent that makes a window message-only.
inline HWND const HWND_MESSAGE = reinterpret_cast<HWND>(std::intptr_t(-3));

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos flags and z-order places.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t(-2));

// WM_ACTIVATE (low word of wParam), WM_SIZE (wParam), WM_MOUSEACTIVATE answers.
constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;
constexpr UINT WA_CLICKACTIVE = 2;
constexpr UINT SIZE_RESTORED = 0;
constexpr UINT SIZE_MINIMIZED = 1;
constexpr UINT SIZE_MAXIMIZED = 2;
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_NOACTIVATE = 3;

// WM_SYSCOMMAND commands (the low four bits of wParam are the system's own).
constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_MAXIMIZE = 0xF030;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;

// WM_NCHITTEST answers.
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTMINBUTTON = 8;
constexpr LRESULT HTMAXBUTTON = 9;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTCLOSE = 20;

// lParam of WM_GETMINMAXINFO.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// lParam of WM_WINDOWPOSCHANGING/WM_WINDOWPOSCHANGED.
struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

// lParam of WM_NCCALCSIZE when wParam is true; rgrc[0] comes back as the client rectangle (in
// the parent's coordinates, the screen's for a top-level window). With wParam false, lParam is a
// RECT* used the same way.
struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

// Parts of message parameters, with the system's sign conventions.
constexpr WPARAM MakeWParam(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr LPARAM MakeLParam(int low, int high) {
    return static_cast<LPARAM>(static_cast<DWORD>((static_cast<unsigned>(low) & 0xFFFFu) |
                                                  ((static_cast<unsigned>(high) & 0xFFFFu) << 16)));
}
constexpr unsigned LowWord(std::uintptr_t value) { return static_cast<unsigned>(value & 0xFFFFu); }
constexpr unsigned HighWord(std::uintptr_t value) { return static_cast<unsigned>((value >> 16) & 0xFFFFu); }
// The signed coordinates a mouse message carries in lParam.
constexpr POINT PointFromLParam(LPARAM lParam) {
    const auto bits = static_cast<std::uintptr_t>(lParam);
    return POINT{static_cast<short>(LowWord(bits)), static_cast<short>(HighWord(bits))};
}
constexpr LPARAM LParamFromPoint(POINT point) {
    return MakeLParam(static_cast<int>(point.x), static_cast<int>(point.y));
}

struct WindowClass {
    const wchar_t* name = nullptr;
    WNDPROC proc = nullptr;
    UINT style = 0;
    HINSTANCE instance = nullptr;
};

// RegisterClassW: false (ERROR_CLASS_ALREADY_EXISTS) when the name is taken in this process.
bool RegisterClass(const WindowClass& windowClass);
bool UnregisterClass(const wchar_t* name, HINSTANCE instance);

// CreateWindowExW. `param` reaches WM_NCCREATE/WM_CREATE as lpCreateParams. Null on failure.
HWND CreateWindowEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, void* param,
                    HINSTANCE instance = nullptr);

// lpCreateParams of the CREATESTRUCT that WM_NCCREATE/WM_CREATE carry in lParam.
void* CreateParamOf(LPARAM createStruct);

bool DestroyWindow(HWND window);
bool IsWindow(HWND window);

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Same-thread send: calls the window procedure directly.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
UINT RegisterWindowMessage(const wchar_t* name);
// The system's defaults: WM_CLOSE destroys, WM_SYSCOMMAND minimises, maximises, restores and
// closes, WM_NCLBUTTONDOWN on HTCAPTION drags the window, WM_WINDOWPOSCHANGED sends WM_SIZE
// and WM_MOVE, WM_ACTIVATE takes the focus, WM_PAINT validates, WM_SETCURSOR sets the arrow.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 for a message, 0 for WM_QUIT, -1 on error. Blocks until a message or a due timer.
int GetMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax);
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
bool PeekMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax, UINT removeFlags);
bool TranslateMessage(const MSG* message);
// Calls the window procedure; a WM_TIMER with a callback in lParam calls the callback instead.
LRESULT DispatchMessage(const MSG* message);
void PostQuitMessage(int exitCode);

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtr(HWND window, int index);

// SetTimer: with a window, `id` names the timer (returned, or 0 on failure); without a window
// a new id is chosen and returned (a thread timer, whose callback runs inside DispatchMessage).
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback);
bool KillTimer(HWND window, UINT_PTR id);

// ---- Placement and state ----------------------------------------------------------------------

// Returns whether the window was visible before. SW_SHOW and SW_SHOWNORMAL activate a top-level
// window, SW_SHOWNA and SW_SHOWNOACTIVATE do not. Minimising and maximising keep the normal
// placement for SW_RESTORE; a minimised owner hides its owned windows until it is restored.
bool ShowWindow(HWND window, int command);
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint);
// Screen coordinates.
bool GetWindowRect(HWND window, RECT* rect);
// Client coordinates: left and top are 0.
bool GetClientRect(HWND window, RECT* rect);
bool ScreenToClient(HWND window, POINT* point);
bool ClientToScreen(HWND window, POINT* point);
// The window and all its parents have WS_VISIBLE.
bool IsWindowVisible(HWND window);
bool IsIconic(HWND window);
bool IsZoomed(HWND window);
// GetWindow(GW_OWNER): the owner of a top-level window, null for none.
HWND GetWindowOwner(HWND window);
// The parent of a child window, the owner of a WS_POPUP window, else null.
HWND GetParent(HWND window);

// The monitor nearest to the window: its rectangle and its work area (without the task bar).
struct MonitorArea {
    RECT monitor;
    RECT work;
};
bool GetNearestMonitorArea(HWND window, MonitorArea* area);

// Clips the window to a rounded rectangle in window coordinates (CreateRoundRectRgn arguments);
// outside it the window neither shows nor takes the mouse. ClearWindowRegion removes the clip.
bool SetWindowRoundRegion(HWND window, int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight, bool redraw);
bool ClearWindowRegion(HWND window, bool redraw);

// Returns whether the window was disabled before. A disabled window gets no mouse or key input;
// disabling it takes the focus and the capture away from it.
bool EnableWindow(HWND window, bool enable);
bool IsWindowEnabled(HWND window);

// Activation of top-level windows: WM_NCACTIVATE and WM_ACTIVATE to the window losing and the
// window gaining it; an activated window takes the focus through DefWindowProc.
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND window);

// Greys or restores the close item of the window's system menu (SC_CLOSE), which also governs
// the close button and Alt+F4 on a framed window.
bool EnableSystemMenuClose(HWND window, bool enable);

} // namespace plat
