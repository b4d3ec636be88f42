// The window message core: classes, windows, queues, posted and sent messages, timers.
// Messages of a window go to the queue of the thread that created it. PostMessage is safe from
// any thread and wakes a GetMessage blocked on the receiving thread at once.
#pragma once

#include "Platform/Types.h"

namespace plat {

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR timerId, DWORD tickCount);

struct POINT {
    long x;
    long y;
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
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;

// The parent that makes a window message-only.
inline HWND const HWND_MESSAGE = reinterpret_cast<HWND>(std::intptr_t(-3));

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

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

} // namespace plat
