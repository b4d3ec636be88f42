// Internal to the POSIX backend: the emulated desktop shared by placement, activation, input and
// painting. DesktopState is guarded by the window lock (LockWindows); functions named ...Locked
// expect it held, the others take it themselves and may call window procedures.
#pragma once

#include "Platform/Posix/WindowRegistry.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace plat::posix {

// System metrics of the emulated machine.
constexpr long kMinimizedWidth = 160;
constexpr long kMinimizedHeight = 28;
constexpr long kMinimizedPosition = -32000;
constexpr long kMinTrackWidth = 136;
constexpr long kMinTrackHeight = 39;
constexpr UINT kDoubleClickMs = 500;
constexpr long kDoubleClickSlop = 2; // half of the double-click rectangle
constexpr long kHoverSlop = 2;       // half of the hover rectangle
constexpr DWORD kDefaultHoverMs = 400;
constexpr UINT SWP_NOCLIENTSIZE = 0x0800; // the system's own WINDOWPOS flags
constexpr UINT SWP_NOCLIENTMOVE = 0x1000;

struct InputEvent {
    enum Kind { MouseMove, MouseDown, MouseUp, Wheel, KeyDown, KeyUp, Char } kind;
    POINT point{};
    int button = 0; // 0 left, 1 right
    int wheel = 0;
    int key = 0; // virtual key, or the character for Char
    DWORD time = 0;
    std::uint64_t serial = 0;
};

struct MouseTracking {
    HWND window = nullptr;
    DWORD flags = 0; // TME_HOVER | TME_LEAVE still pending
    DWORD hoverMs = kDefaultHoverMs;
    POINT anchor{};
    std::int64_t anchorMs = 0;
};

struct PressHistory {
    bool valid = false;
    HWND window = nullptr;
    int button = 0;
    bool client = false;
    POINT point{};
    DWORD time = 0;
};

// An interactive move (HTCAPTION) or resize (a border code) in progress.
struct Drag {
    HWND window = nullptr;
    LRESULT hit = 0;
    POINT start{};
    WindowRect startRect;
    POINT minTrack{};
    POINT maxTrack{};
};

struct DesktopState {
    long screenWidth = 1920;
    long screenHeight = 1080;
    WindowRect work{0, 0, 1920, 1040};
    std::vector<HWND> zOrder; // top-level windows, front first, topmost ones before the others
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    std::deque<InputEvent> input;
    std::uint64_t nextSerial = 1;
    POINT cursor{1919, 1079};
    std::array<bool, 256> keys{};
    MouseTracking tracking;
    PressHistory lastPress;
    Drag drag;
    int cursorId = 0;
    std::vector<int> cursorChanges;
};

DesktopState& DesktopLocked();
void ResetDesktopLocked();
void ResetDesktop();

// ---- Geometry (WindowPlacement.cpp) ----------------------------------------------------------

bool IsTopLevel(const WindowRecord& record);
bool IsVisibleLocked(const WindowRecord& record);
// The window and every parent are enabled.
bool IsEnabledLocked(const WindowRecord& record);
HWND TopLevelOfLocked(HWND window);
// Screen position of the client area's top-left corner, and the window rectangle on screen.
POINT ClientOriginLocked(const WindowRecord& record);
WindowRect ScreenRectLocked(const WindowRecord& record);
WindowRect ScreenClientLocked(const WindowRecord& record);
// The owner-thread windows under `point`, front first, deepest child before its parents; the
// list stops at a window that takes no input (disabled), which is marked.
struct Candidate {
    HWND window;
    DWORD threadId;
    bool disabled;
};
std::vector<Candidate> CandidatesAtLocked(POINT point);

// Window creation steps the message core runs, in the system's order.
void SendCreationMinMax(HWND window);
void SendCreationClientSize(HWND window);
void SendCreationSizeAndMove(HWND window);
// The full WM_GETMINMAXINFO exchange for a window.
MINMAXINFO QueryMinMaxInfo(HWND window);
// Windows with a sizing frame, and overlapped ones, keep to their tracking sizes.
bool HasTrackingLimits(DWORD style);
void ClampToTrackingLimits(HWND window, WINDOWPOS* pos);

// ---- Activation (WindowActivation.cpp) -------------------------------------------------------

void AddToZOrderLocked(HWND window);
void RaiseLocked(HWND window);
void ReorderLocked(HWND window, HWND insertAfter);
// Clears every reference the desktop holds to a window that is going away.
void ForgetWindowLocked(HWND window);
HWND ActivateWindow(HWND window, bool byMouse);
// Hands activation on when `window` stops being able to hold it (hidden, minimised, destroyed).
void ActivateOtherWindow(HWND window);

// ---- Input (Input.cpp, MouseTracking.cpp) ----------------------------------------------------

using MessagePasses = std::function<bool(HWND window, UINT message)>;
// Turns the next input event for the calling thread into a message (without the lock held).
std::optional<MSG> RetrieveInput(const MessagePasses& passes, bool remove);
std::optional<MSG> TakeHoverLocked(DWORD threadId, const std::function<bool(HWND)>& passes, bool remove,
                                   std::int64_t nowMs, DWORD tick);
std::optional<std::int64_t> HoverDeadlineLocked(DWORD threadId);
WPARAM MouseKeyFlagsLocked();
// The pending WM_MOUSELEAVE when the mouse is no longer over the tracked client area.
void CheckMouseLeave(HWND target, bool client);
void NoteHoverMove(POINT point, DWORD time);
// Caption drags and border resizes started by DefWindowProc, fed by the mouse until released.
// `start` is the screen point of the press (the WM_SYSCOMMAND lParam).
void BeginDrag(HWND window, LRESULT hit, POINT start);
bool DragActiveLocked();
void ContinueDrag(POINT point);
void EndDrag();
void PushInputLocked(InputEvent event);
bool TranslateKey(const MSG& message);

// ---- Painting (Paint.cpp) --------------------------------------------------------------------

std::optional<MSG> TakePaintLocked(DWORD threadId, const std::function<bool(HWND)>& passes, DWORD tick);
void InvalidateLocked(WindowRecord& record, const WindowRect* rect, bool erase);
// Keeps what fits of the presented pixels when the client area changes size.
void ResizeSurfaceLocked(WindowRecord& record);
bool LayeredPixelTransparentLocked(const WindowRecord& record, POINT screenPoint);

// ---- Default window procedure (DefaultWindowProc.cpp) --------------------------------------

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace plat::posix
