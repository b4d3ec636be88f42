// Internal to the POSIX backend: the per-window records behind every HWND, for the parts of the
// emulation that build on windows (geometry, painting, input, the test desktop).
#pragma once

#include "Platform/Window.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plat::posix {

using plat::WS_CHILD;

struct WindowRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::wstring className;
    UINT classStyle = 0;
    std::wstring title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr; // HWND_MESSAGE for message-only windows, set only for child windows
    HWND owner = nullptr;  // top-level owner of a popup or overlapped window
    WindowRect rect;       // as requested at creation, CW_USEDEFAULT read as 0
    LONG_PTR userData = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    DWORD threadId = 0; // the creating thread: its queue receives the window's messages
};

// Runs `visit` on the live record under the window registry's lock; false when `window` is not a
// window. `visit` must not call any window function (the lock is not recursive).
bool VisitWindow(HWND window, const std::function<void(WindowRecord&)>& visit);

// A copy of the record, or nothing when `window` is not a window.
std::optional<WindowRecord> FindWindowRecord(HWND window);

// Copies of every live window's record, in creation order.
std::vector<WindowRecord> ListWindows();

} // namespace plat::posix
