// The test API of the emulated desktop: the screen, what windows are and show, injected input.
#include "Platform/Posix/TestDesktop.h"

#include "Platform/Draw.h"
#include "Platform/Input.h"
#include "Platform/Posix/Desktop.h"
#include "Platform/Posix/MessageQueues.h"
#include "Platform/Time.h"

#include <algorithm>
#include <utility>

namespace plat::posix {

void ResetDesktop() {
    auto lock = LockWindows();
    ResetDesktopLocked();
}

} // namespace plat::posix

namespace plat::test {

using namespace plat::posix;

namespace {

RECT ToRect(const WindowRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

WindowInfo DescribeLocked(const WindowRecord& record) {
    const DesktopState& desktop = DesktopLocked();
    WindowInfo info;
    info.handle = record.handle;
    info.className = record.className;
    info.title = record.title;
    info.rect = ToRect(ScreenRectLocked(record));
    info.client = ToRect(ScreenClientLocked(record));
    info.style = record.style;
    info.exStyle = record.exStyle;
    info.visible = IsVisibleLocked(record);
    info.enabled = !(record.style & WS_DISABLED);
    info.minimized = (record.style & WS_MINIMIZE) != 0;
    info.maximized = (record.style & WS_MAXIMIZE) != 0;
    info.active = desktop.active == record.handle;
    info.focused = desktop.focus == record.handle;
    info.owner = record.owner;
    info.parent = record.parent;
    const auto z = std::find(desktop.zOrder.begin(), desktop.zOrder.end(), record.handle);
    info.zOrder = z == desktop.zOrder.end() ? -1 : static_cast<int>(z - desktop.zOrder.begin());
    return info;
}

void Push(InputEvent event) {
    {
        auto lock = LockWindows();
        event.time = GetTickCount();
        PushInputLocked(event);
    }
    WakeAllMessageQueues();
}

// Presses, releases and wheel turns happen where the mouse is: it goes there first.
void MoveThere(long x, long y) {
    bool elsewhere = false;
    {
        auto lock = LockWindows();
        const POINT cursor = DesktopLocked().cursor;
        elsewhere = cursor.x != x || cursor.y != y;
    }
    if (elsewhere)
        InjectMouseMove(x, y);
}

int ButtonIndex(MouseButton button) {
    return button == MouseButton::Left ? 0 : 1;
}

} // namespace

void SetScreen(long width, long height, const RECT& workArea) {
    auto lock = LockWindows();
    DesktopState& desktop = DesktopLocked();
    desktop.screenWidth = width;
    desktop.screenHeight = height;
    desktop.work = WindowRect{workArea.left, workArea.top, workArea.right, workArea.bottom};
}

std::vector<WindowInfo> ListWindows() {
    std::vector<WindowInfo> windows;
    auto lock = LockWindows();
    ForEachRecordLocked([&](WindowRecord& record) {
        if (record.parent != HWND_MESSAGE)
            windows.push_back(DescribeLocked(record));
    });
    return windows;
}

std::optional<WindowInfo> DescribeWindow(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    return record ? std::optional<WindowInfo>(DescribeLocked(*record)) : std::nullopt;
}

HWND FindWindowOf(const std::wstring& className, const std::wstring& title) {
    HWND found = nullptr;
    auto lock = LockWindows();
    ForEachRecordLocked([&](WindowRecord& record) {
        if (!found && record.className == className && (title.empty() || record.title == title))
            found = record.handle;
    });
    return found;
}

Pixels WindowPixels(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record)
        return Pixels{};
    if (!record->pixels) {
        const int width = static_cast<int>(record->client.Width());
        const int height = static_cast<int>(record->client.Height());
        return Pixels{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
    }
    return Pixels{record->pixels->width, record->pixels->height, record->pixels->bgra};
}

std::optional<std::uint8_t> LayeredOpacity(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    return record ? record->opacity : std::nullopt;
}

std::optional<RoundRegion> WindowRegion(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record || !record->region)
        return std::nullopt;
    return RoundRegion{ToRect(record->region->rect), record->region->ellipseWidth, record->region->ellipseHeight};
}

bool SystemMenuCloseEnabled(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    return record && record->systemCloseEnabled;
}

void InjectMouseMove(long x, long y) {
    Push(InputEvent{InputEvent::MouseMove, POINT{x, y}});
}

void InjectMouseDown(long x, long y, MouseButton button) {
    MoveThere(x, y);
    Push(InputEvent{InputEvent::MouseDown, POINT{x, y}, ButtonIndex(button)});
}

void InjectMouseUp(long x, long y, MouseButton button) {
    MoveThere(x, y);
    Push(InputEvent{InputEvent::MouseUp, POINT{x, y}, ButtonIndex(button)});
}

void InjectClick(long x, long y, MouseButton button) {
    InjectMouseDown(x, y, button);
    InjectMouseUp(x, y, button);
}

void InjectDoubleClick(long x, long y) {
    InjectClick(x, y);
    InjectClick(x, y);
}

void InjectWheel(long x, long y, int delta) {
    MoveThere(x, y);
    Push(InputEvent{InputEvent::Wheel, POINT{x, y}, 0, delta});
}

void InjectKeyDown(int virtualKey) {
    Push(InputEvent{InputEvent::KeyDown, POINT{}, 0, 0, virtualKey});
}

void InjectKeyUp(int virtualKey) {
    Push(InputEvent{InputEvent::KeyUp, POINT{}, 0, 0, virtualKey});
}

void InjectKey(int virtualKey) {
    InjectKeyDown(virtualKey);
    InjectKeyUp(virtualKey);
}

void InjectText(const std::wstring& text) {
    for (wchar_t character : text)
        Push(InputEvent{InputEvent::Char, POINT{}, 0, 0, static_cast<int>(character)});
}

int PumpMessages(int limit) {
    int dispatched = 0;
    MSG message{};
    while (dispatched < limit && PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessage(&message);
        ++dispatched;
    }
    return dispatched;
}

int CurrentCursor() {
    auto lock = LockWindows();
    return DesktopLocked().cursorId;
}

std::vector<int> TakeCursorChanges() {
    auto lock = LockWindows();
    return std::exchange(DesktopLocked().cursorChanges, {});
}

} // namespace plat::test
