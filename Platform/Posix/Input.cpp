// The emulated input queue: injected mouse and key events wait here until the thread of the
// window they reach retrieves its messages, and become that window's messages then, the way the
// system turns hardware input into messages (hit test, activation, cursor, double clicks).
#include "Platform/Input.h"

#include "Platform/Posix/Desktop.h"
#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Thread.h"

#include <cstdlib>

namespace plat::posix {
namespace {

constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;
constexpr int kMaxEventsPerRetrieval = 1000;

constexpr UINT kButtonDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN};
constexpr UINT kButtonUp[] = {WM_LBUTTONUP, WM_RBUTTONUP};
constexpr UINT kButtonDoubleClick[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK};
constexpr int kButtonKey[] = {VK_LBUTTON, VK_RBUTTON};

bool IsMouse(InputEvent::Kind kind) {
    return kind == InputEvent::MouseMove || kind == InputEvent::MouseDown || kind == InputEvent::MouseUp;
}

// Where an event goes, and as what.
struct Delivery {
    HWND window = nullptr;
    LRESULT hit = HTCLIENT;
    bool captured = false;
    bool system = false; // keys without a focus window, or with Alt held
    UINT message = 0;
};

enum class Routing { Deliver, Discard, OtherThread, Empty };

struct Routed {
    Routing routing = Routing::Empty;
    InputEvent event{};
    Delivery delivery;
    std::vector<Candidate> candidates; // for mouse events without capture
};

// ---- Key state ----------------------------------------------------------------------------------

// The generic key a left or right variant also sets.
int GenericKey(int key) {
    switch (key) {
    case 0xA0:
    case 0xA1:
        return VK_SHIFT;
    case 0xA2:
    case 0xA3:
        return VK_CONTROL;
    case 0xA4:
    case 0xA5:
        return VK_MENU;
    default:
        return key;
    }
}

void SetKeyLocked(int key, bool down) {
    DesktopState& desktop = DesktopLocked();
    desktop.keys[static_cast<std::size_t>(key & 0xFF)] = down;
    desktop.keys[static_cast<std::size_t>(GenericKey(key) & 0xFF)] = down;
}

bool KeyDownLocked(int key) {
    return DesktopLocked().keys[static_cast<std::size_t>(key & 0xFF)];
}

// ---- Routing ------------------------------------------------------------------------------------

Routed RouteKeyLocked(const InputEvent& event) {
    Routed routed{Routing::Deliver, event, {}, {}};
    DesktopState& desktop = DesktopLocked();
    routed.delivery.window = desktop.focus ? desktop.focus : desktop.active;
    routed.delivery.system = !desktop.focus || (event.kind != InputEvent::Char && KeyDownLocked(VK_MENU)) ||
                             (event.kind != InputEvent::Char && event.key == VK_MENU);
    if (event.kind == InputEvent::Wheel)
        routed.delivery.system = false;
    if (!routed.delivery.window)
        routed.routing = Routing::Discard;
    return routed;
}

Routed RouteLocked(const InputEvent& event) {
    if (!IsMouse(event.kind))
        return RouteKeyLocked(event);
    Routed routed{Routing::Deliver, event, {}, {}};
    DesktopState& desktop = DesktopLocked();
    if (desktop.capture) {
        routed.delivery.window = desktop.capture;
        routed.delivery.captured = true;
        return routed;
    }
    routed.candidates = CandidatesAtLocked(event.point);
    return routed;
}

Routing ThreadRouting(HWND window) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record)
        return Routing::Discard;
    return record->threadId == GetCurrentThreadId() ? Routing::Deliver : Routing::OtherThread;
}

// Hit tests down the candidates (HTTRANSPARENT passes to the next one of this thread).
void HitTest(Routed& routed) {
    const LPARAM point = LParamFromPoint(routed.event.point);
    for (std::size_t i = 0; i < routed.candidates.size(); ++i) {
        const Candidate& candidate = routed.candidates[i];
        if (candidate.disabled) {
            routed.routing = Routing::Discard;
            return;
        }
        if (candidate.threadId != GetCurrentThreadId()) {
            routed.routing = i == 0 ? Routing::OtherThread : Routing::Discard;
            return;
        }
        const LRESULT hit = SendMessage(candidate.window, WM_NCHITTEST, 0, point);
        if (hit == HTTRANSPARENT)
            continue;
        routed.delivery.window = candidate.window;
        routed.delivery.hit = hit;
        return;
    }
    routed.routing = Routing::Discard;
}

bool IsDoubleClickLocked(const InputEvent& event, const Delivery& delivery) {
    const PressHistory& last = DesktopLocked().lastPress;
    const WindowRecord* record = FindRecordLocked(delivery.window);
    const bool client = delivery.hit == HTCLIENT;
    if (!last.valid || !record || last.window != delivery.window || last.button != event.button ||
        last.client != client)
        return false;
    if (client && !(record->classStyle & CS_DBLCLKS))
        return false;
    return event.time - last.time <= kDoubleClickMs && std::labs(event.point.x - last.point.x) <= kDoubleClickSlop &&
           std::labs(event.point.y - last.point.y) <= kDoubleClickSlop;
}

UINT MouseMessage(const InputEvent& event, const Delivery& delivery, bool doubleClick) {
    const bool client = delivery.hit == HTCLIENT;
    const std::size_t button = static_cast<std::size_t>(event.button);
    UINT message = WM_MOUSEMOVE;
    if (event.kind == InputEvent::MouseDown)
        message = doubleClick ? kButtonDoubleClick[button] : kButtonDown[button];
    else if (event.kind == InputEvent::MouseUp)
        message = kButtonUp[button];
    // The non-client messages keep the same order, WM_NCMOUSEMOVE first.
    return client ? message : message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
}

UINT KeyMessage(const InputEvent& event, const Delivery& delivery) {
    switch (event.kind) {
    case InputEvent::KeyDown:
        return delivery.system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    case InputEvent::KeyUp:
        return delivery.system ? WM_SYSKEYUP : WM_KEYUP;
    case InputEvent::Char:
        return WM_CHAR;
    default:
        return WM_MOUSEWHEEL;
    }
}

// Completes the delivery of the event at the head of the queue; Empty when nothing is queued.
Routed RouteHead() {
    Routed routed;
    {
        auto lock = LockWindows();
        DesktopState& desktop = DesktopLocked();
        if (desktop.input.empty())
            return routed;
        routed = RouteLocked(desktop.input.front());
    }
    if (routed.routing != Routing::Deliver)
        return routed;
    if (IsMouse(routed.event.kind) && !routed.delivery.captured)
        HitTest(routed);
    else
        routed.routing = ThreadRouting(routed.delivery.window);
    if (routed.routing != Routing::Deliver)
        return routed;
    if (IsMouse(routed.event.kind)) {
        auto lock = LockWindows();
        const bool doubleClick =
            routed.event.kind == InputEvent::MouseDown && IsDoubleClickLocked(routed.event, routed.delivery);
        routed.delivery.message = MouseMessage(routed.event, routed.delivery, doubleClick);
    } else {
        routed.delivery.message = KeyMessage(routed.event, routed.delivery);
    }
    return routed;
}

// Removes the head event when it is still `event`; false when another thread took it.
bool PopLocked(const InputEvent& event) {
    std::deque<InputEvent>& input = DesktopLocked().input;
    if (input.empty() || input.front().serial != event.serial)
        return false;
    input.pop_front();
    return true;
}

void RecordPressLocked(const InputEvent& event, const Delivery& delivery) {
    PressHistory& last = DesktopLocked().lastPress;
    const bool doubleClick = delivery.message == WM_LBUTTONDBLCLK || delivery.message == WM_RBUTTONDBLCLK ||
                             delivery.message == WM_NCLBUTTONDBLCLK;
    if (doubleClick)
        last = PressHistory{};
    else
        last = PressHistory{true, delivery.window, event.button, delivery.hit == HTCLIENT, event.point, event.time};
}

// Applies what taking the event changes: button and key states, the click history.
bool TakeHead(const Routed& routed) {
    auto lock = LockWindows();
    if (!PopLocked(routed.event))
        return false;
    const InputEvent& event = routed.event;
    const std::size_t button = static_cast<std::size_t>(event.button);
    if (event.kind == InputEvent::MouseDown) {
        SetKeyLocked(kButtonKey[button], true);
        if (routed.routing == Routing::Deliver)
            RecordPressLocked(event, routed.delivery);
    } else if (event.kind == InputEvent::MouseUp) {
        SetKeyLocked(kButtonKey[button], false);
    } else if (event.kind == InputEvent::KeyDown || event.kind == InputEvent::KeyUp) {
        SetKeyLocked(event.key, event.kind == InputEvent::KeyDown);
    }
    return true;
}

// A press on an inactive top-level window activates it, unless it answers otherwise; true when
// the press is eaten.
bool ActivateByMouse(const Delivery& delivery, UINT buttonMessage) {
    HWND top = nullptr;
    bool activates = false;
    {
        auto lock = LockWindows();
        top = TopLevelOfLocked(delivery.window);
        const WindowRecord* record = FindRecordLocked(top);
        activates = record && DesktopLocked().active != top && !(record->exStyle & WS_EX_NOACTIVATE);
    }
    if (!activates)
        return false;
    const LRESULT answer = SendMessage(delivery.window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                       MakeLParam(static_cast<int>(delivery.hit), static_cast<int>(buttonMessage)));
    if (answer != MA_NOACTIVATE && answer != MA_NOACTIVATEANDEAT)
        ActivateWindow(top, true);
    return answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
}

LPARAM KeyLParam(const InputEvent& event, bool wasDown) {
    std::uint32_t bits = 1;
    if (event.kind == InputEvent::Char)
        return static_cast<LPARAM>(bits);
    if (KeyDownLocked(VK_MENU))
        bits |= 1u << 29;
    if (wasDown || event.kind == InputEvent::KeyUp)
        bits |= 1u << 30;
    if (event.kind == InputEvent::KeyUp)
        bits |= 1u << 31;
    return static_cast<LPARAM>(bits);
}

MSG KeyboardMessage(const Routed& routed, bool wasDown) {
    const InputEvent& event = routed.event;
    MSG message{routed.delivery.window, routed.delivery.message, 0, 0, event.time, event.point};
    auto lock = LockWindows();
    if (event.kind == InputEvent::Wheel) {
        message.wParam = MakeWParam(static_cast<unsigned>(MouseKeyFlagsLocked()), static_cast<unsigned>(event.wheel));
        message.lParam = LParamFromPoint(event.point);
    } else {
        message.wParam = static_cast<WPARAM>(event.key);
        message.lParam = KeyLParam(event, wasDown);
    }
    return message;
}

// Turns a taken mouse event into its message; nothing when the press was eaten or the window
// went away while it was being activated.
std::optional<MSG> MouseInputMessage(const Routed& routed) {
    const InputEvent& event = routed.event;
    const Delivery& delivery = routed.delivery;
    const bool client = delivery.hit == HTCLIENT;
    CheckMouseLeave(delivery.window, client);
    NoteHoverMove(event.point, event.time);
    const UINT clientMessage = client ? delivery.message : delivery.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    if (event.kind == InputEvent::MouseDown && !delivery.captured &&
        ActivateByMouse(delivery, kButtonDown[static_cast<std::size_t>(event.button)]))
        return std::nullopt;
    if (!IsWindow(delivery.window))
        return std::nullopt;
    if (!delivery.captured)
        SendMessage(delivery.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(delivery.window),
                    MakeLParam(static_cast<int>(delivery.hit), static_cast<int>(clientMessage)));
    MSG message{delivery.window, delivery.message, 0, 0, event.time, event.point};
    if (client) {
        POINT point = event.point;
        ScreenToClient(delivery.window, &point);
        auto lock = LockWindows();
        message.wParam = MouseKeyFlagsLocked();
        message.lParam = LParamFromPoint(point);
    } else {
        message.wParam = static_cast<WPARAM>(delivery.hit);
        message.lParam = LParamFromPoint(event.point);
    }
    return message;
}

bool DragConsumes(const InputEvent& event) {
    return DragActiveLocked() && (event.kind == InputEvent::MouseMove ||
                                  (event.kind == InputEvent::MouseUp && event.button == 0));
}

enum class DragStep { None, Handled, NotMine };

// While a window is dragged the mouse moves and sizes it instead of making messages.
DragStep FeedDrag() {
    InputEvent event{};
    {
        auto lock = LockWindows();
        DesktopState& desktop = DesktopLocked();
        if (desktop.input.empty() || !DragConsumes(desktop.input.front()))
            return DragStep::None;
        const WindowRecord* record = FindRecordLocked(desktop.drag.window);
        if (!record || record->threadId != GetCurrentThreadId())
            return record ? DragStep::NotMine : DragStep::None;
        event = desktop.input.front();
        desktop.input.pop_front();
        if (event.kind == InputEvent::MouseUp)
            SetKeyLocked(VK_LBUTTON, false);
    }
    if (event.kind == InputEvent::MouseMove)
        ContinueDrag(event.point);
    else
        EndDrag();
    return DragStep::Handled;
}

} // namespace

DesktopState& DesktopLocked() {
    static DesktopState* desktop = new DesktopState; // outlives windows of exiting threads
    return *desktop;
}

void ResetDesktopLocked() {
    DesktopState& desktop = DesktopLocked();
    std::vector<HWND> zOrder = std::move(desktop.zOrder);
    const HWND active = desktop.active;
    const HWND focus = desktop.focus;
    const HWND capture = desktop.capture;
    desktop = DesktopState{};
    desktop.zOrder = std::move(zOrder);
    desktop.active = active;
    desktop.focus = focus;
    desktop.capture = capture;
}

WPARAM MouseKeyFlagsLocked() {
    WPARAM flags = 0;
    if (KeyDownLocked(VK_LBUTTON))
        flags |= MK_LBUTTON;
    if (KeyDownLocked(VK_RBUTTON))
        flags |= MK_RBUTTON;
    if (KeyDownLocked(VK_SHIFT))
        flags |= MK_SHIFT;
    if (KeyDownLocked(VK_CONTROL))
        flags |= MK_CONTROL;
    if (KeyDownLocked(VK_MBUTTON))
        flags |= MK_MBUTTON;
    return flags;
}

void PushInputLocked(InputEvent event) {
    DesktopState& desktop = DesktopLocked();
    event.serial = desktop.nextSerial++;
    if (IsMouse(event.kind))
        desktop.cursor = event.point;
    desktop.input.push_back(event);
}

std::optional<MSG> RetrieveInput(const MessagePasses& passes, bool remove) {
    for (int step = 0; step < kMaxEventsPerRetrieval; ++step) {
        const DragStep drag = remove ? FeedDrag() : DragStep::None;
        if (drag == DragStep::Handled)
            continue;
        if (drag == DragStep::NotMine)
            return std::nullopt;
        const Routed routed = RouteHead();
        if (routed.routing == Routing::Empty || routed.routing == Routing::OtherThread)
            return std::nullopt;
        if (routed.routing == Routing::Discard) {
            // Input that reaches no window (or a disabled one) is dropped, whoever looks.
            if (TakeHead(routed) && IsMouse(routed.event.kind))
                CheckMouseLeave(nullptr, false);
            continue;
        }
        if (!passes(routed.delivery.window, routed.delivery.message))
            return std::nullopt;
        if (!remove) {
            const InputEvent& event = routed.event;
            return MSG{routed.delivery.window, routed.delivery.message, 0, 0, event.time, event.point};
        }
        bool wasDown = false;
        {
            auto lock = LockWindows();
            wasDown = KeyDownLocked(routed.event.key);
        }
        if (!TakeHead(routed))
            continue;
        if (!IsMouse(routed.event.kind))
            return KeyboardMessage(routed, wasDown && routed.event.kind == InputEvent::KeyDown);
        if (std::optional<MSG> message = MouseInputMessage(routed))
            return message;
    }
    return std::nullopt;
}

bool TranslateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    bool shift = false;
    bool control = false;
    {
        auto lock = LockWindows();
        shift = KeyDownLocked(VK_SHIFT);
        control = KeyDownLocked(VK_CONTROL);
    }
    const int key = static_cast<int>(message.wParam);
    int character = 0;
    if (key >= 'A' && key <= 'Z')
        character = control ? key - 'A' + 1 : (shift ? key : key - 'A' + 'a');
    else if (key >= '0' && key <= '9' && !shift)
        character = key;
    else if (key == VK_SPACE || key == VK_BACK || key == VK_TAB || key == VK_ESCAPE)
        character = key;
    else if (key == VK_RETURN)
        character = control ? '\n' : '\r';
    if (character != 0)
        PostMessage(message.hwnd, message.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                    static_cast<WPARAM>(character), message.lParam);
    return true;
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

namespace {

bool IsStandardCursor(int id) {
    switch (id) {
    case IDC_ARROW:
    case IDC_IBEAM:
    case IDC_WAIT:
    case IDC_CROSS:
    case IDC_SIZENWSE:
    case IDC_SIZENESW:
    case IDC_SIZEWE:
    case IDC_SIZENS:
    case IDC_SIZEALL:
    case IDC_NO:
    case IDC_HAND:
        return true;
    default:
        return false;
    }
}

// The emulation's cursor handles are the cursors' numbers.
HCURSOR CursorHandle(int id) {
    return reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(id));
}

constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

} // namespace

HCURSOR LoadStandardCursor(int id) {
    if (!IsStandardCursor(id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return CursorHandle(id);
}

HCURSOR SetCursor(HCURSOR cursor) {
    auto lock = LockWindows();
    DesktopState& desktop = DesktopLocked();
    const int previous = desktop.cursorId;
    const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(cursor));
    if (id != previous)
        desktop.cursorChanges.push_back(id);
    desktop.cursorId = id;
    return previous ? CursorHandle(previous) : nullptr;
}

HCURSOR GetCursor() {
    auto lock = LockWindows();
    const int id = DesktopLocked().cursorId;
    return id ? CursorHandle(id) : nullptr;
}

bool GetCursorPos(POINT* point) {
    if (!point) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    auto lock = LockWindows();
    *point = DesktopLocked().cursor;
    return true;
}

short GetKeyState(int virtualKey) {
    auto lock = LockWindows();
    return KeyDownLocked(virtualKey) ? static_cast<short>(0x8000) : 0;
}

UINT GetDoubleClickTime() {
    return kDoubleClickMs;
}

} // namespace plat
