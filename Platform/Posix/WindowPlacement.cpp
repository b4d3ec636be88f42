// Where emulated windows are and how they get there: creation sizing, SetWindowPos with its
// messages, showing and hiding, minimise, maximise and restore, rectangles, the monitor and
// window regions. The emulated windows have no frames: unless WM_NCCALCSIZE says otherwise, the
// client area is the whole window.
#include "Platform/Window.h"

#include "Platform/Draw.h"
#include "Platform/Posix/Desktop.h"
#include "Platform/Thread.h"

#include <algorithm>
#include <cstdlib>

namespace plat::posix {
namespace {

constexpr UINT SWP_NOSENDCHANGING = 0x0400;
constexpr WPARAM SW_PARENTCLOSING = 1;
constexpr WPARAM SW_PARENTOPENING = 3;

WindowRect Offset(WindowRect rect, long dx, long dy) {
    return WindowRect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

RECT ToRect(const WindowRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

WindowRect FromRect(const RECT& rect) {
    return WindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

bool InRoundRegion(const RoundRegionRecord& region, long x, long y) {
    if (!region.rect.Contains(x, y))
        return false;
    const double rx = region.ellipseWidth / 2.0;
    const double ry = region.ellipseHeight / 2.0;
    if (rx <= 0 || ry <= 0)
        return true;
    const double px = x + 0.5;
    const double py = y + 0.5;
    const double cx = std::clamp(px, region.rect.left + rx, region.rect.right - rx);
    const double cy = std::clamp(py, region.rect.top + ry, region.rect.bottom - ry);
    const double dx = (px - cx) / rx;
    const double dy = (py - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// The window takes the mouse at `point` (screen) as far as its own shape goes.
bool TakesPointLocked(const WindowRecord& record, POINT point) {
    const WindowRect screen = ScreenRectLocked(record);
    if (!screen.Contains(point.x, point.y))
        return false;
    if (record.region && !InRoundRegion(*record.region, point.x - screen.left, point.y - screen.top))
        return false;
    if (record.exStyle & WS_EX_LAYERED) {
        if (record.exStyle & WS_EX_TRANSPARENT)
            return false;
        if (!record.layeredContent && !record.opacity)
            return false; // nothing shown yet
        if (LayeredPixelTransparentLocked(record, point))
            return false;
    }
    return true;
}

std::vector<WindowRecord*> ChildrenLocked(HWND parent) {
    std::vector<WindowRecord*> children;
    ForEachRecordLocked([&](WindowRecord& record) {
        if (record.parent == parent)
            children.push_back(&record);
    });
    return children;
}

// The deepest visible, enabled child under `point`, the later-created sibling first.
WindowRecord* DeepestChildLocked(WindowRecord* window, POINT point) {
    for (;;) {
        const std::vector<WindowRecord*> children = ChildrenLocked(window->handle);
        auto hit = std::find_if(children.rbegin(), children.rend(), [&](WindowRecord* child) {
            return (child->style & WS_VISIBLE) && !(child->style & WS_DISABLED) &&
                   ScreenClientLocked(*window).Contains(point.x, point.y) && TakesPointLocked(*child, point);
        });
        if (hit == children.rend())
            return window;
        window = *hit;
    }
}

long Clamp(long value, long low, long high) {
    return std::max(low, std::min(value, high));
}

// ---- SetWindowPos -------------------------------------------------------------------------

struct Placement {
    WindowRect rect;
    WindowRect client;
    bool visible;
};

UINT NormalizedFlags(const WindowRecord& record, const WINDOWPOS& pos) {
    UINT flags = pos.flags;
    const bool visible = (record.style & WS_VISIBLE) != 0;
    if ((flags & SWP_SHOWWINDOW) && visible)
        flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !visible)
        flags &= ~SWP_HIDEWINDOW;
    if (pos.x == record.rect.left && pos.y == record.rect.top)
        flags |= SWP_NOMOVE;
    if (pos.cx == record.rect.Width() && pos.cy == record.rect.Height())
        flags |= SWP_NOSIZE;
    if (!IsTopLevel(record))
        flags |= SWP_NOACTIVATE;
    return flags;
}

WindowRect RequestedRect(const WindowRecord& record, const WINDOWPOS& pos) {
    const long x = (pos.flags & SWP_NOMOVE) ? record.rect.left : pos.x;
    const long y = (pos.flags & SWP_NOMOVE) ? record.rect.top : pos.y;
    const long width = (pos.flags & SWP_NOSIZE) ? record.rect.Width() : std::max(pos.cx, 0);
    const long height = (pos.flags & SWP_NOSIZE) ? record.rect.Height() : std::max(pos.cy, 0);
    return WindowRect{x, y, x + width, y + height};
}

WindowRect NewClient(HWND window, const WindowRecord& record, const WindowRect& rect, WINDOWPOS& pos) {
    if (record.style & WS_MINIMIZE)
        return WindowRect{rect.left, rect.top, rect.left, rect.top};
    if ((pos.flags & SWP_NOSIZE) && !(pos.flags & SWP_FRAMECHANGED))
        return Offset(record.client, rect.left - record.rect.left, rect.top - record.rect.top);
    NCCALCSIZE_PARAMS params{{ToRect(rect), ToRect(record.rect), ToRect(record.client)}, &pos};
    SendMessage(window, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&params));
    return FromRect(params.rgrc[0]);
}

// The parts of a grown client area that need painting (all of it for redraw-on-resize classes).
void InvalidateAfterResizeLocked(WindowRecord& record, const WindowRect& oldClient) {
    const long width = record.client.Width();
    const long height = record.client.Height();
    const bool widthChanged = width != oldClient.Width();
    const bool heightChanged = height != oldClient.Height();
    if ((widthChanged && (record.classStyle & CS_HREDRAW)) || (heightChanged && (record.classStyle & CS_VREDRAW))) {
        InvalidateLocked(record, nullptr, true);
        return;
    }
    if (width > oldClient.Width()) {
        const WindowRect strip{oldClient.Width(), 0, width, height};
        InvalidateLocked(record, &strip, true);
    }
    if (height > oldClient.Height()) {
        const WindowRect strip{0, oldClient.Height(), width, height};
        InvalidateLocked(record, &strip, true);
    }
}

// Applies the placement; returns the flags WM_WINDOWPOSCHANGED reports.
UINT ApplyLocked(WindowRecord& record, const Placement& placement, const WINDOWPOS& pos) {
    const WindowRect oldClient = record.client;
    const bool wasVisible = (record.style & WS_VISIBLE) != 0;
    record.rect = placement.rect;
    record.client = placement.client;
    if (!(record.style & (WS_MINIMIZE | WS_MAXIMIZE)))
        record.normalRect = placement.rect;
    record.style = placement.visible ? (record.style | WS_VISIBLE) : (record.style & ~WS_VISIBLE);
    if (!(pos.flags & SWP_NOZORDER) && IsTopLevel(record))
        ReorderLocked(record.handle, pos.hwndInsertAfter);
    UINT flags = pos.flags;
    const bool sameSize = oldClient.Width() == record.client.Width() && oldClient.Height() == record.client.Height();
    if (sameSize)
        flags |= SWP_NOCLIENTSIZE;
    else
        ResizeSurfaceLocked(record);
    if (oldClient.left == record.client.left && oldClient.top == record.client.top)
        flags |= SWP_NOCLIENTMOVE;
    if (placement.visible && !wasVisible)
        InvalidateLocked(record, nullptr, true);
    else if (placement.visible && !sameSize && !(pos.flags & SWP_NOREDRAW))
        InvalidateAfterResizeLocked(record, oldClient);
    return flags;
}

bool Changed(UINT flags) {
    constexpr UINT kNoChange = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE;
    return (flags & (kNoChange | SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != kNoChange;
}

// The synchronous frame and background paint of a window that has just appeared.
void PaintAppearance(HWND window) {
    SendMessage(window, WM_NCPAINT, 1, 0);
    if (SendMessage(window, WM_ERASEBKGND, 0, 0) != 0)
        VisitWindow(window, [](WindowRecord& record) { record.erasePending = false; });
}

// ---- Minimise, maximise, restore ----------------------------------------------------------

// The tracking limits apply later, through DefWindowProc's WM_WINDOWPOSCHANGING.
WindowRect MaximizedRect(HWND window) {
    const MINMAXINFO info = QueryMinMaxInfo(window);
    return WindowRect{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
                      info.ptMaxPosition.y + info.ptMaxSize.y};
}

WindowRect Minimize(WindowRecord& record) {
    if (!(record.style & WS_MAXIMIZE))
        record.normalRect = record.rect;
    record.restoreMaximized = (record.style & WS_MAXIMIZE) != 0;
    record.style = (record.style | WS_MINIMIZE) & ~WS_MAXIMIZE;
    return WindowRect{kMinimizedPosition, kMinimizedPosition, kMinimizedPosition + kMinimizedWidth,
                      kMinimizedPosition + kMinimizedHeight};
}

WindowRect Maximize(HWND window) {
    const WindowRect rect = MaximizedRect(window);
    VisitWindow(window, [](WindowRecord& record) {
        if (!(record.style & (WS_MINIMIZE | WS_MAXIMIZE)))
            record.normalRect = record.rect;
        record.style = (record.style | WS_MAXIMIZE) & ~WS_MINIMIZE;
    });
    return rect;
}

WindowRect Restore(HWND window) {
    bool toMaximized = false;
    WindowRect rect;
    VisitWindow(window, [&](WindowRecord& record) {
        toMaximized = (record.style & WS_MINIMIZE) && record.restoreMaximized;
        record.style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        rect = record.normalRect;
    });
    return toMaximized ? Maximize(window) : rect;
}

std::vector<HWND> OwnedWindows(HWND owner, bool hiddenByOwner) {
    std::vector<HWND> owned;
    auto lock = LockWindows();
    ForEachRecordLocked([&](WindowRecord& record) {
        const bool candidate = hiddenByOwner ? record.hiddenByOwner : (record.style & WS_VISIBLE) != 0;
        if (record.owner == owner && candidate && record.threadId == GetCurrentThreadId())
            owned.push_back(record.handle);
    });
    return owned;
}

// A minimised owner takes its visible owned windows off the screen, and brings them back.
void ShowOwnedWindows(HWND owner, bool show) {
    for (HWND owned : OwnedWindows(owner, show)) {
        SendMessage(owned, WM_SHOWWINDOW, show ? 1 : 0, show ? SW_PARENTOPENING : SW_PARENTCLOSING);
        VisitWindow(owned, [&](WindowRecord& record) { record.hiddenByOwner = !show; });
        SetWindowPos(owned, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
}

enum class SizeState { Keep, Minimize, Maximize, Restore };

struct ShowPlan {
    SizeState size = SizeState::Keep;
    bool show = true;
    bool activate = true;
};

std::optional<ShowPlan> PlanFor(int command) {
    switch (command) {
    case SW_HIDE:
        return ShowPlan{SizeState::Keep, false, false};
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        return ShowPlan{SizeState::Restore, true, true};
    case SW_SHOWNOACTIVATE:
        return ShowPlan{SizeState::Restore, true, false};
    case SW_SHOWMINIMIZED:
        return ShowPlan{SizeState::Minimize, true, true};
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        return ShowPlan{SizeState::Minimize, true, false};
    case SW_MAXIMIZE:
        return ShowPlan{SizeState::Maximize, true, true};
    case SW_SHOW:
        return ShowPlan{SizeState::Keep, true, true};
    case SW_SHOWNA:
        return ShowPlan{SizeState::Keep, true, false};
    default:
        return std::nullopt;
    }
}

// The new rectangle for a size-state change, or nothing when the state stays.
std::optional<WindowRect> ChangeSizeState(HWND window, SizeState state, DWORD style) {
    const bool minimized = (style & WS_MINIMIZE) != 0;
    const bool maximized = (style & WS_MAXIMIZE) != 0;
    switch (state) {
    case SizeState::Minimize:
        if (minimized)
            return std::nullopt;
        {
            WindowRect rect;
            VisitWindow(window, [&](WindowRecord& record) { rect = Minimize(record); });
            return rect;
        }
    case SizeState::Maximize:
        return maximized ? std::nullopt : std::optional<WindowRect>(Maximize(window));
    case SizeState::Restore:
        return (minimized || maximized) ? std::optional<WindowRect>(Restore(window)) : std::nullopt;
    case SizeState::Keep:
        break;
    }
    return std::nullopt;
}

void SendSizeMessages(HWND window, const WindowRecord& record) {
    const WindowRect& client = record.client;
    SendMessage(window, WM_SIZE, SIZE_RESTORED, MakeLParam(client.Width(), client.Height()));
    SendMessage(window, WM_MOVE, 0, MakeLParam(client.left, client.top));
}

} // namespace

bool IsTopLevel(const WindowRecord& record) {
    return record.parent == nullptr;
}

bool IsVisibleLocked(const WindowRecord& record) {
    for (const WindowRecord* w = &record; w; w = FindRecordLocked(w->parent)) {
        if (!(w->style & WS_VISIBLE) || w->parent == HWND_MESSAGE)
            return false;
        if (!w->parent)
            return true;
    }
    return false;
}

bool IsEnabledLocked(const WindowRecord& record) {
    for (const WindowRecord* w = &record; w; w = FindRecordLocked(w->parent))
        if (w->style & WS_DISABLED)
            return false;
    return true;
}

HWND TopLevelOfLocked(HWND window) {
    WindowRecord* w = FindRecordLocked(window);
    while (w && w->parent && w->parent != HWND_MESSAGE)
        w = FindRecordLocked(w->parent);
    return w ? w->handle : nullptr;
}

POINT ClientOriginLocked(const WindowRecord& record) {
    POINT origin{record.client.left, record.client.top};
    if (const WindowRecord* parent = FindRecordLocked(record.parent)) {
        const POINT parentOrigin = ClientOriginLocked(*parent);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

WindowRect ScreenRectLocked(const WindowRecord& record) {
    const WindowRecord* parent = FindRecordLocked(record.parent);
    if (!parent)
        return record.rect;
    const POINT origin = ClientOriginLocked(*parent);
    return Offset(record.rect, origin.x, origin.y);
}

WindowRect ScreenClientLocked(const WindowRecord& record) {
    const POINT origin = ClientOriginLocked(record);
    return WindowRect{origin.x, origin.y, origin.x + record.client.Width(), origin.y + record.client.Height()};
}

std::vector<Candidate> CandidatesAtLocked(POINT point) {
    std::vector<Candidate> candidates;
    for (HWND top : DesktopLocked().zOrder) {
        WindowRecord* record = FindRecordLocked(top);
        if (!record || !IsVisibleLocked(*record) || !TakesPointLocked(*record, point))
            continue;
        if (record->style & WS_DISABLED) {
            candidates.push_back({top, record->threadId, true});
            break;
        }
        for (WindowRecord* w = DeepestChildLocked(record, point); w; w = FindRecordLocked(w->parent))
            candidates.push_back({w->handle, w->threadId, false});
    }
    return candidates;
}

MINMAXINFO QueryMinMaxInfo(HWND window) {
    MINMAXINFO info{};
    DWORD style = 0;
    WindowRect work;
    long width = 0;
    long height = 0;
    {
        auto lock = LockWindows();
        const WindowRecord* record = FindRecordLocked(window);
        if (!record)
            return info;
        style = record->style;
        const DesktopState& desktop = DesktopLocked();
        width = desktop.screenWidth;
        height = desktop.screenHeight;
        work = desktop.work;
    }
    const bool framed = (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) ||
                        !(style & (WS_POPUP | WS_CHILD));
    info.ptMaxSize = POINT{width, height};
    info.ptMaxPosition = POINT{0, 0};
    info.ptMinTrackSize = framed ? POINT{kMinTrackWidth, kMinTrackHeight} : POINT{0, 0};
    info.ptMaxTrackSize = POINT{width, height};
    SendMessage(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    // A captioned window left at the defaults maximises into the work area, not over the task bar.
    if ((style & WS_CAPTION) == WS_CAPTION && info.ptMaxSize.x == width && info.ptMaxSize.y == height &&
        info.ptMaxPosition.x == 0 && info.ptMaxPosition.y == 0) {
        info.ptMaxSize = POINT{work.Width(), work.Height()};
        info.ptMaxPosition = POINT{work.left, work.top};
    }
    info.ptMaxTrackSize.x = std::max(info.ptMaxTrackSize.x, info.ptMinTrackSize.x);
    info.ptMaxTrackSize.y = std::max(info.ptMaxTrackSize.y, info.ptMinTrackSize.y);
    return info;
}

bool HasTrackingLimits(DWORD style) {
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

void ClampToTrackingLimits(HWND window, WINDOWPOS* pos) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (!pos || (pos->flags & SWP_NOSIZE) || !record || (record->style & WS_MINIMIZE) ||
        !HasTrackingLimits(record->style))
        return;
    const MINMAXINFO info = QueryMinMaxInfo(window);
    pos->cx = static_cast<int>(Clamp(pos->cx, info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    pos->cy = static_cast<int>(Clamp(pos->cy, info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
}

void SendCreationMinMax(HWND window) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (!record || !HasTrackingLimits(record->style))
        return;
    const MINMAXINFO info = QueryMinMaxInfo(window);
    VisitWindow(window, [&](WindowRecord& live) {
        const long width = Clamp(live.rect.Width(), info.ptMinTrackSize.x, info.ptMaxTrackSize.x);
        const long height = Clamp(live.rect.Height(), info.ptMinTrackSize.y, info.ptMaxTrackSize.y);
        live.rect.right = live.rect.left + width;
        live.rect.bottom = live.rect.top + height;
        live.client = live.normalRect = live.rect;
    });
}

void SendCreationClientSize(HWND window) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    if (!record)
        return;
    RECT client = ToRect(record->rect);
    SendMessage(window, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
    VisitWindow(window, [&](WindowRecord& live) { live.client = FromRect(client); });
}

void SendCreationSizeAndMove(HWND window) {
    if (const std::optional<WindowRecord> record = FindWindowRecord(window))
        SendSizeMessages(window, *record);
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    const std::optional<WindowRecord> before = FindWindowRecord(window);
    if (!before) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (before->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED); // placing another thread's window is not emulated
        return false;
    }
    WINDOWPOS pos{window, insertAfter, x, y, width, height, flags};
    pos.flags = NormalizedFlags(*before, pos);
    if (!(pos.flags & SWP_NOSENDCHANGING))
        SendMessage(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    const std::optional<WindowRecord> current = FindWindowRecord(window);
    if (!current)
        return false;
    const WindowRect rect = RequestedRect(*current, pos);
    const bool visible = (pos.flags & SWP_SHOWWINDOW)   ? true
                         : (pos.flags & SWP_HIDEWINDOW) ? false
                                                        : (current->style & WS_VISIBLE) != 0;
    const Placement placement{rect, NewClient(window, *current, rect, pos), visible};
    bool wasActive = false;
    {
        auto lock = LockWindows();
        WindowRecord* record = FindRecordLocked(window);
        if (!record)
            return false;
        pos.flags = ApplyLocked(*record, placement, pos);
        wasActive = DesktopLocked().active == window;
    }
    const bool appeared = (pos.flags & SWP_SHOWWINDOW) != 0;
    if (!(pos.flags & SWP_NOACTIVATE) && visible)
        ActivateWindow(window, false);
    if (appeared)
        PaintAppearance(window);
    if ((pos.flags & SWP_HIDEWINDOW) && wasActive)
        ActivateOtherWindow(window);
    pos.x = static_cast<int>(rect.left);
    pos.y = static_cast<int>(rect.top);
    pos.cx = static_cast<int>(rect.Width());
    pos.cy = static_cast<int>(rect.Height());
    if (IsWindow(window) && Changed(pos.flags))
        SendMessage(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return true;
}

bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool ShowWindow(HWND window, int command) {
    const std::optional<WindowRecord> record = FindWindowRecord(window);
    const std::optional<ShowPlan> plan = PlanFor(command);
    if (!record || !plan) {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const bool wasVisible = (record->style & WS_VISIBLE) != 0;
    const bool wasMinimized = (record->style & WS_MINIMIZE) != 0;
    const std::optional<WindowRect> rect = ChangeSizeState(window, plan->size, record->style);
    if (wasVisible == plan->show && !rect)
        return wasVisible;
    if (wasVisible != plan->show)
        SendMessage(window, WM_SHOWWINDOW, plan->show ? 1 : 0, 0);
    UINT flags = plan->show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    if (!plan->activate)
        flags |= SWP_NOACTIVATE | (plan->show ? 0 : SWP_NOZORDER);
    flags |= rect ? SWP_FRAMECHANGED : (SWP_NOSIZE | SWP_NOMOVE);
    const WindowRect target = rect.value_or(record->rect);
    SetWindowPos(window, HWND_TOP, static_cast<int>(target.left), static_cast<int>(target.top),
                 static_cast<int>(target.Width()), static_cast<int>(target.Height()), flags);
    const bool minimizedNow = IsIconic(window);
    if (minimizedNow && !wasMinimized) {
        if (!plan->activate && GetActiveWindow() == window)
            ActivateOtherWindow(window);
        ShowOwnedWindows(window, false);
    } else if (wasMinimized && !minimizedNow) {
        ShowOwnedWindows(window, true);
    }
    return wasVisible;
}

bool GetWindowRect(HWND window, RECT* rect) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record || !rect) {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    *rect = ToRect(ScreenRectLocked(*record));
    return true;
}

bool GetClientRect(HWND window, RECT* rect) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record || !rect) {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    *rect = RECT{0, 0, record->client.Width(), record->client.Height()};
    return true;
}

namespace {

bool ShiftByClientOrigin(HWND window, POINT* point, long sign) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record || !point) {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const POINT origin = ClientOriginLocked(*record);
    point->x += sign * origin.x;
    point->y += sign * origin.y;
    return true;
}

template <typename Read> auto ReadRecord(HWND window, Read read) -> decltype(read(std::declval<WindowRecord&>())) {
    auto lock = LockWindows();
    WindowRecord* record = FindRecordLocked(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return {};
    }
    return read(*record);
}

} // namespace

bool ScreenToClient(HWND window, POINT* point) {
    return ShiftByClientOrigin(window, point, -1);
}

bool ClientToScreen(HWND window, POINT* point) {
    return ShiftByClientOrigin(window, point, 1);
}

bool IsWindowVisible(HWND window) {
    return ReadRecord(window, [](WindowRecord& record) { return IsVisibleLocked(record); });
}

bool IsIconic(HWND window) {
    return ReadRecord(window, [](WindowRecord& record) { return (record.style & WS_MINIMIZE) != 0; });
}

bool IsZoomed(HWND window) {
    return ReadRecord(window, [](WindowRecord& record) { return (record.style & WS_MAXIMIZE) != 0; });
}

HWND GetWindowOwner(HWND window) {
    return ReadRecord(window, [](WindowRecord& record) { return record.owner; });
}

HWND GetParent(HWND window) {
    return ReadRecord(window, [](WindowRecord& record) -> HWND {
        if (record.style & WS_CHILD)
            return record.parent == HWND_MESSAGE ? nullptr : record.parent;
        return (record.style & WS_POPUP) ? record.owner : nullptr;
    });
}

bool GetNearestMonitorArea(HWND window, MonitorArea* area) {
    auto lock = LockWindows();
    if ((window && !FindRecordLocked(window)) || !area) {
        SetLastError(area ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return false;
    }
    const DesktopState& desktop = DesktopLocked();
    area->monitor = RECT{0, 0, desktop.screenWidth, desktop.screenHeight};
    area->work = ToRect(desktop.work);
    return true;
}

namespace {

bool SetRegion(HWND window, std::optional<RoundRegionRecord> region, bool redraw) {
    auto lock = LockWindows();
    WindowRecord* record = FindRecordLocked(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    record->region = region;
    if (redraw)
        InvalidateLocked(*record, nullptr, true);
    return true;
}

} // namespace

bool SetWindowRoundRegion(HWND window, int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight, bool redraw) {
    const WindowRect rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                          std::max(top, bottom)};
    return SetRegion(window, RoundRegionRecord{rect, std::abs(ellipseWidth), std::abs(ellipseHeight)}, redraw);
}

bool ClearWindowRegion(HWND window, bool redraw) {
    return SetRegion(window, std::nullopt, redraw);
}

bool EnableSystemMenuClose(HWND window, bool enable) {
    return VisitWindow(window, [&](WindowRecord& record) { record.systemCloseEnabled = enable; });
}

} // namespace plat
