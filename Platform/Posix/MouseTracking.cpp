// Mouse tracking on the emulated desktop: the one-shot hover and leave messages TrackMouseEvent
// asks for, and the interactive moves and resizes DefWindowProc starts from a caption or border.
#include "Platform/Input.h"

#include "Platform/Posix/Desktop.h"
#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Thread.h"

#include <algorithm>
#include <cstdlib>

namespace plat::posix {
namespace {

constexpr DWORD kTrackedFlags = TME_HOVER | TME_LEAVE;

// The mouse is over the window's client area now (by the window's own hit test).
bool MouseOverClient(HWND window) {
    POINT cursor{};
    HWND under = nullptr;
    {
        auto lock = LockWindows();
        cursor = DesktopLocked().cursor;
        const std::vector<Candidate> candidates = CandidatesAtLocked(cursor);
        if (!candidates.empty() && !candidates.front().disabled)
            under = candidates.front().window;
    }
    return under == window && SendMessage(window, WM_NCHITTEST, 0, LParamFromPoint(cursor)) == HTCLIENT;
}

long ClampEdge(long moving, long fixed, long minimum, long maximum, bool movingIsLow) {
    const long size = movingIsLow ? fixed - moving : moving - fixed;
    const long clamped = std::max(minimum, std::min(size, maximum));
    return movingIsLow ? fixed - clamped : fixed + clamped;
}

bool HasLeft(LRESULT hit) {
    return hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
}
bool HasRight(LRESULT hit) {
    return hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
}
bool HasTop(LRESULT hit) {
    return hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
}
bool HasBottom(LRESULT hit) {
    return hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
}

WindowRect DraggedRect(const Drag& drag, POINT point) {
    const long dx = point.x - drag.start.x;
    const long dy = point.y - drag.start.y;
    WindowRect rect = drag.startRect;
    if (drag.hit == HTCAPTION)
        return WindowRect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
    if (HasLeft(drag.hit))
        rect.left = ClampEdge(rect.left + dx, rect.right, drag.minTrack.x, drag.maxTrack.x, true);
    if (HasRight(drag.hit))
        rect.right = ClampEdge(rect.right + dx, rect.left, drag.minTrack.x, drag.maxTrack.x, false);
    if (HasTop(drag.hit))
        rect.top = ClampEdge(rect.top + dy, rect.bottom, drag.minTrack.y, drag.maxTrack.y, true);
    if (HasBottom(drag.hit))
        rect.bottom = ClampEdge(rect.bottom + dy, rect.top, drag.minTrack.y, drag.maxTrack.y, false);
    return rect;
}

} // namespace

void CheckMouseLeave(HWND target, bool client) {
    HWND left = nullptr;
    {
        auto lock = LockWindows();
        MouseTracking& tracking = DesktopLocked().tracking;
        if (!tracking.window || (tracking.window == target && client))
            return;
        if (tracking.flags & TME_LEAVE)
            left = tracking.window;
        tracking = MouseTracking{};
    }
    if (left)
        PostMessage(left, WM_MOUSELEAVE, 0, 0);
}

void NoteHoverMove(POINT point, DWORD) {
    const std::int64_t nowMs = SteadyNowMs();
    auto lock = LockWindows();
    MouseTracking& tracking = DesktopLocked().tracking;
    if (!tracking.window || !(tracking.flags & TME_HOVER))
        return;
    if (std::labs(point.x - tracking.anchor.x) > kHoverSlop || std::labs(point.y - tracking.anchor.y) > kHoverSlop) {
        tracking.anchor = point;
        tracking.anchorMs = nowMs;
    }
}

std::optional<MSG> TakeHoverLocked(DWORD threadId, const std::function<bool(HWND)>& passes, bool remove,
                                   std::int64_t nowMs, DWORD tick) {
    DesktopState& desktop = DesktopLocked();
    MouseTracking& tracking = desktop.tracking;
    if (!tracking.window || !(tracking.flags & TME_HOVER))
        return std::nullopt;
    const WindowRecord* record = FindRecordLocked(tracking.window);
    if (!record || record->threadId != threadId || nowMs < tracking.anchorMs + tracking.hoverMs ||
        !passes(tracking.window))
        return std::nullopt;
    const POINT origin = ClientOriginLocked(*record);
    const POINT client{desktop.cursor.x - origin.x, desktop.cursor.y - origin.y};
    const MSG message{tracking.window, WM_MOUSEHOVER, MouseKeyFlagsLocked(), LParamFromPoint(client), tick,
                      desktop.cursor};
    if (remove) {
        tracking.flags &= ~TME_HOVER;
        if (!tracking.flags)
            tracking = MouseTracking{};
    }
    return message;
}

std::optional<std::int64_t> HoverDeadlineLocked(DWORD threadId) {
    const MouseTracking& tracking = DesktopLocked().tracking;
    const WindowRecord* record = FindRecordLocked(tracking.window);
    if (!record || record->threadId != threadId || !(tracking.flags & TME_HOVER))
        return std::nullopt;
    return tracking.anchorMs + tracking.hoverMs;
}

void BeginDrag(HWND window, LRESULT hit, POINT start) {
    bool eligible = false;
    {
        auto lock = LockWindows();
        const WindowRecord* record = FindRecordLocked(window);
        const bool sizing = hit != HTCAPTION;
        eligible = record && IsTopLevel(*record) && DesktopLocked().keys[VK_LBUTTON] && !DesktopLocked().drag.window &&
                   !(record->style & (WS_MINIMIZE | WS_MAXIMIZE)) && (!sizing || (record->style & WS_THICKFRAME));
    }
    if (!eligible)
        return;
    const MINMAXINFO limits = QueryMinMaxInfo(window);
    {
        auto lock = LockWindows();
        const WindowRecord* record = FindRecordLocked(window);
        if (!record)
            return;
        DesktopState& desktop = DesktopLocked();
        desktop.drag = Drag{window, hit, start, record->rect, limits.ptMinTrackSize, limits.ptMaxTrackSize};
    }
    SendMessage(window, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(window);
}

bool DragActiveLocked() {
    return DesktopLocked().drag.window != nullptr;
}

void ContinueDrag(POINT point) {
    Drag drag;
    {
        auto lock = LockWindows();
        drag = DesktopLocked().drag;
    }
    if (!drag.window)
        return;
    const WindowRect rect = DraggedRect(drag, point);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (drag.hit == HTCAPTION ? SWP_NOSIZE : 0);
    SetWindowPos(drag.window, nullptr, static_cast<int>(rect.left), static_cast<int>(rect.top),
                 static_cast<int>(rect.Width()), static_cast<int>(rect.Height()), flags);
}

void EndDrag() {
    HWND window = nullptr;
    {
        auto lock = LockWindows();
        window = DesktopLocked().drag.window;
        DesktopLocked().drag = Drag{};
    }
    if (!window)
        return;
    if (GetCapture() == window)
        ReleaseCapture();
    SendMessage(window, WM_EXITSIZEMOVE, 0, 0);
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

bool TrackMouseEvent(HWND window, DWORD flags, DWORD hoverMs) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const DWORD requested = flags & kTrackedFlags;
    if (flags & TME_CANCEL) {
        auto lock = LockWindows();
        MouseTracking& tracking = DesktopLocked().tracking;
        if (tracking.window == window) {
            tracking.flags &= ~requested;
            if (!tracking.flags)
                tracking = MouseTracking{};
        }
        return true;
    }
    if (!requested)
        return true;
    if (!MouseOverClient(window)) {
        if (requested & TME_LEAVE)
            PostMessage(window, WM_MOUSELEAVE, 0, 0);
        return true;
    }
    const std::int64_t nowMs = SteadyNowMs();
    auto lock = LockWindows();
    DesktopState& desktop = DesktopLocked();
    MouseTracking& tracking = desktop.tracking;
    if (tracking.window != window)
        tracking = MouseTracking{window, 0};
    tracking.flags |= requested;
    if (requested & TME_HOVER) {
        tracking.hoverMs = hoverMs == HOVER_DEFAULT ? kDefaultHoverMs : hoverMs;
        tracking.anchor = desktop.cursor;
        tracking.anchorMs = nowMs;
    }
    return true;
}

} // namespace plat
