// Internal to the POSIX backend: the per-window records behind every HWND, for the parts of the
// emulation that build on windows (geometry, painting, input, the test desktop), and the one lock
// that guards them together with the desktop state.
#pragma once

#include "Platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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

    long Width() const { return right - left; }
    long Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(long x, long y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const WindowRect&) const = default;
};

struct RoundRegionRecord {
    WindowRect rect; // window coordinates
    int ellipseWidth = 0;
    int ellipseHeight = 0;
};

// What a window shows: premultiplied BGRA, rows `width` values apart.
struct PixelSurface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::wstring className;
    UINT classStyle = 0;
    std::wstring title;
    DWORD style = 0; // WS_VISIBLE, WS_DISABLED, WS_MINIMIZE and WS_MAXIMIZE are the live states
    DWORD exStyle = 0;
    HWND parent = nullptr; // HWND_MESSAGE for message-only windows, set only for child windows
    HWND owner = nullptr;  // top-level owner of a popup or overlapped window
    // In the parent's client coordinates for a child window, else in screen coordinates. Set as
    // requested at creation (CW_USEDEFAULT read as 0), then by every placement.
    WindowRect rect;
    WindowRect client;     // the client area, in the same coordinates as `rect`
    WindowRect normalRect; // where SW_RESTORE puts a minimised or maximised window
    bool restoreMaximized = false; // minimised from the maximised state
    bool hiddenByOwner = false;    // hidden while its owner is minimised
    std::optional<RoundRegionRecord> region;
    bool systemCloseEnabled = true;
    // Painting: the bounding box of the invalid region, in client coordinates.
    bool invalid = false;
    WindowRect invalidRect;
    bool erasePending = false;
    std::shared_ptr<const PixelSurface> pixels; // replaced, never changed in place
    bool layeredContent = false;                // `pixels` came from UpdateLayeredWindow
    std::optional<std::uint8_t> opacity;
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

// ---- Under the lock --------------------------------------------------------------------------
// The functions named ...Locked expect the caller to hold the lock LockWindows() returns, and
// never call a window procedure.

std::unique_lock<std::mutex> LockWindows();
WindowRecord* FindRecordLocked(HWND window);
// Every live record in creation order.
void ForEachRecordLocked(const std::function<void(WindowRecord&)>& visit);
// Wakes the thread that retrieves the window's messages.
void WakeWindowThreadLocked(HWND window);

} // namespace plat::posix
