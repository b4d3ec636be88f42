// The emulated desktop's z-order, the active window, the keyboard focus, enabling and the mouse
// capture, with the messages the system sends when they change.
#include "Platform/Input.h"
#include "Platform/Window.h"

#include "Platform/Posix/Desktop.h"

#include <algorithm>

namespace plat::posix {
namespace {

bool IsTopmost(HWND window) {
    const WindowRecord* record = FindRecordLocked(window);
    return record && (record->exStyle & WS_EX_TOPMOST);
}

// Where the band of `window` (topmost or not) starts in the z-order.
std::vector<HWND>::iterator BandFront(std::vector<HWND>& z, HWND window) {
    if (IsTopmost(window))
        return z.begin();
    return std::find_if(z.begin(), z.end(), [](HWND other) { return !IsTopmost(other); });
}

bool IsActivationCandidate(const WindowRecord& record, HWND leaving) {
    return record.handle != leaving && record.owner != leaving && IsTopLevel(record) &&
           IsVisibleLocked(record) && !(record.style & (WS_DISABLED | WS_MINIMIZE)) &&
           !(record.exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
}

// The owner when it can take activation, else the front-most window that can.
HWND NextActiveLocked(HWND leaving) {
    const WindowRecord* record = FindRecordLocked(leaving);
    if (record && record->owner) {
        const WindowRecord* owner = FindRecordLocked(record->owner);
        if (owner && IsVisibleLocked(*owner) && !(owner->style & (WS_DISABLED | WS_MINIMIZE)))
            return owner->handle;
    }
    for (HWND candidate : DesktopLocked().zOrder) {
        const WindowRecord* other = FindRecordLocked(candidate);
        if (other && IsActivationCandidate(*other, leaving))
            return candidate;
    }
    return nullptr;
}

bool IsWithin(HWND window, HWND ancestor) {
    for (const WindowRecord* w = FindRecordLocked(window); w; w = FindRecordLocked(w->parent))
        if (w->handle == ancestor)
            return true;
    return false;
}

// Focus can go only to a window that, with its parents, is neither disabled nor minimised.
bool FocusableLocked(HWND window) {
    for (const WindowRecord* w = FindRecordLocked(window); w; w = FindRecordLocked(w->parent))
        if (w->style & (WS_DISABLED | WS_MINIMIZE))
            return false;
    return true;
}

WPARAM ActivationParam(UINT state, HWND window) {
    return MakeWParam(state, IsIconic(window) ? 1 : 0);
}

void Deactivate(HWND window, HWND next) {
    if (!window || !IsWindow(window))
        return;
    SendMessage(window, WM_NCACTIVATE, 0, reinterpret_cast<LPARAM>(next));
    SendMessage(window, WM_ACTIVATE, ActivationParam(WA_INACTIVE, window), reinterpret_cast<LPARAM>(next));
}

// The system's own step after WM_ACTIVATE: the active window keeps the focus inside it.
void SettleFocus(HWND active) {
    bool needsFocus = false;
    bool dropFocus = false;
    {
        auto lock = LockWindows();
        DesktopState& desktop = DesktopLocked();
        if (!active)
            dropFocus = desktop.focus != nullptr;
        else if (desktop.active == active)
            needsFocus = FocusableLocked(active) && !IsWithin(desktop.focus, active);
    }
    if (needsFocus)
        SetFocus(active);
    else if (dropFocus)
        SetFocus(nullptr);
}

} // namespace

void AddToZOrderLocked(HWND window) {
    std::vector<HWND>& z = DesktopLocked().zOrder;
    z.insert(BandFront(z, window), window);
}

void RaiseLocked(HWND window) {
    std::vector<HWND>& z = DesktopLocked().zOrder;
    if (std::find(z.begin(), z.end(), window) == z.end())
        return;
    std::erase(z, window);
    z.insert(BandFront(z, window), window);
    // Owned windows stay in front of their owner, in their order.
    std::vector<HWND> owned;
    for (HWND other : z) {
        const WindowRecord* record = FindRecordLocked(other);
        if (record && record->owner == window)
            owned.push_back(other);
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
        RaiseLocked(*it);
}

void ReorderLocked(HWND window, HWND insertAfter) {
    WindowRecord* record = FindRecordLocked(window);
    std::vector<HWND>& z = DesktopLocked().zOrder;
    if (!record || std::find(z.begin(), z.end(), window) == z.end())
        return;
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        if (insertAfter == HWND_TOPMOST)
            record->exStyle |= WS_EX_TOPMOST;
        else
            record->exStyle &= ~WS_EX_TOPMOST;
        RaiseLocked(window);
    } else if (insertAfter == HWND_BOTTOM) {
        std::erase(z, window);
        z.push_back(window);
    } else if (insertAfter && insertAfter != window && std::find(z.begin(), z.end(), insertAfter) != z.end()) {
        std::erase(z, window);
        z.insert(std::find(z.begin(), z.end(), insertAfter) + 1, window);
    } else {
        RaiseLocked(window);
    }
}

void ForgetWindowLocked(HWND window) {
    DesktopState& desktop = DesktopLocked();
    std::erase(desktop.zOrder, window);
    for (HWND* slot : {&desktop.active, &desktop.focus, &desktop.capture})
        if (*slot == window)
            *slot = nullptr;
    if (desktop.tracking.window == window)
        desktop.tracking = MouseTracking{};
    if (desktop.drag.window == window)
        desktop.drag = Drag{};
    if (desktop.lastPress.window == window)
        desktop.lastPress = PressHistory{};
}

HWND ActivateWindow(HWND window, bool byMouse) {
    HWND top = nullptr;
    HWND previous = nullptr;
    {
        auto lock = LockWindows();
        top = window ? TopLevelOfLocked(window) : nullptr;
        previous = DesktopLocked().active;
        if (top == previous)
            return previous;
    }
    Deactivate(previous, top);
    {
        auto lock = LockWindows();
        if (top && !FindRecordLocked(top))
            return previous;
        DesktopLocked().active = top;
        if (top)
            RaiseLocked(top);
    }
    if (top) {
        SendMessage(top, WM_NCACTIVATE, 1, reinterpret_cast<LPARAM>(previous));
        SendMessage(top, WM_ACTIVATE, ActivationParam(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, top),
                    reinterpret_cast<LPARAM>(previous));
    }
    SettleFocus(top);
    return previous;
}

void ActivateOtherWindow(HWND window) {
    HWND next = nullptr;
    {
        auto lock = LockWindows();
        if (DesktopLocked().active != window)
            return;
        next = NextActiveLocked(window);
    }
    ActivateWindow(next, false);
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

HWND SetActiveWindow(HWND window) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return ActivateWindow(window, false);
}

HWND GetActiveWindow() {
    auto lock = LockWindows();
    return DesktopLocked().active;
}

bool SetForegroundWindow(HWND window) {
    if (!IsWindow(window))
        return false;
    ActivateWindow(window, false);
    return true;
}

HWND SetFocus(HWND window) {
    HWND top = nullptr;
    {
        auto lock = LockWindows();
        if (window && !FindRecordLocked(window)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (window && !FocusableLocked(window))
            return nullptr;
        top = window ? TopLevelOfLocked(window) : nullptr;
    }
    if (top && GetActiveWindow() != top) {
        ActivateWindow(top, false);
        if (!IsWindow(window) || GetActiveWindow() != top)
            return nullptr;
    }
    HWND previous = nullptr;
    {
        auto lock = LockWindows();
        previous = DesktopLocked().focus;
        if (previous == window)
            return previous;
        DesktopLocked().focus = window;
    }
    if (previous && IsWindow(previous))
        SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && GetFocus() == window)
        SendMessage(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus() {
    auto lock = LockWindows();
    return DesktopLocked().focus;
}

bool EnableWindow(HWND window, bool enable) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const bool wasDisabled = (record->style & WS_DISABLED) != 0;
    if (wasDisabled != enable)
        return wasDisabled;
    if (!enable)
        SendMessage(window, WM_CANCELMODE, 0, 0);
    bool focusInside = false;
    {
        auto lock = LockWindows();
        WindowRecord* live = FindRecordLocked(window);
        if (!live)
            return wasDisabled;
        live->style = enable ? (live->style & ~WS_DISABLED) : (live->style | WS_DISABLED);
        focusInside = !enable && IsWithin(DesktopLocked().focus, window);
    }
    if (focusInside)
        SetFocus(nullptr);
    SendMessage(window, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    return record && !(record->style & WS_DISABLED);
}

HWND SetCapture(HWND window) {
    HWND previous = nullptr;
    {
        auto lock = LockWindows();
        if (window && !FindRecordLocked(window)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        previous = DesktopLocked().capture;
        DesktopLocked().capture = window;
    }
    if (previous && previous != window && IsWindow(previous))
        SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

bool ReleaseCapture() {
    SetCapture(nullptr);
    return true;
}

HWND GetCapture() {
    auto lock = LockWindows();
    return DesktopLocked().capture;
}

} // namespace plat
