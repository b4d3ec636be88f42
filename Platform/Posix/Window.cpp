// The emulated window message core: classes, windows, per-thread queues, posted and sent
// messages, window and thread timers, and the order in which a queue hands out posted messages,
// input, paints and timers. One lock guards all of it (and the desktop state); window procedures
// and timer callbacks always run without the lock, so they may call back into any function.
#include "Platform/Window.h"

#include "Platform/Posix/Desktop.h"
#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Posix/MessageQueues.h"
#include "Platform/Posix/WindowRegistry.h"
#include "Platform/Thread.h"
#include "Platform/Time.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace plat::posix {
namespace {

constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

constexpr UINT USER_TIMER_MINIMUM = 10;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
constexpr std::size_t kPostedMessageLimit = 10000;
constexpr UINT kFirstRegisteredMessage = 0xC000;
constexpr UINT kLastRegisteredMessage = 0xFFFF;
constexpr UINT_PTR kFirstThreadTimerId = 0x7FFF;
constexpr UINT_PTR kLastThreadTimerId = 0xFFFF;
constexpr std::uintptr_t kFirstWindowHandle = 0x10020;

// The filter window that selects messages posted to no window.
HWND ThreadMessagesOnly() {
    return reinterpret_cast<HWND>(std::intptr_t(-1));
}

struct Timer {
    HWND window; // null for a thread timer
    UINT_PTR id;
    UINT periodMs = 0;
    TIMERPROC proc = nullptr;
    std::int64_t dueMs = 0;
};

struct ThreadQueue {
    std::deque<MSG> posted;
    std::vector<Timer> timers;
    bool quitPending = false;
    int quitCode = 0;
    std::uint64_t changes = 0; // bumped by everything that may end a wait
    std::condition_variable wake;
};

struct Window {
    WindowRecord record;
    std::wstring classKey;
    std::shared_ptr<ThreadQueue> queue;
    bool destroying = false;
};

struct ClassEntry {
    std::wstring name;
    std::wstring key;
    WNDPROC proc;
    UINT style;
    HINSTANCE instance;
};

struct Filter {
    HWND window;
    UINT first;
    UINT last;
};

struct Now {
    std::int64_t ms;
    DWORD tick;
};

// The layout of the system's CREATESTRUCT.
struct CreateStruct {
    void* createParams;
    HINSTANCE instance;
    void* menu;
    HWND parent;
    int cy;
    int cx;
    int y;
    int x;
    std::int32_t style;
    const wchar_t* name;
    const wchar_t* className;
    DWORD exStyle;
};

struct State {
    std::mutex lock;
    std::map<std::uintptr_t, std::unique_ptr<Window>> windows; // by handle: creation order
    std::uintptr_t nextHandle = kFirstWindowHandle;
    std::vector<ClassEntry> classes;
    std::vector<std::wstring> registeredMessages; // folded names; id = first id + index
    std::vector<ThreadQueue*> queues;
    UINT_PTR nextThreadTimerId = kFirstThreadTimerId;
    std::set<TIMERPROC> timerProcs;
};

using Guard = std::lock_guard<std::mutex>;
using Lock = std::unique_lock<std::mutex>;

State& TheState() {
    // Never destroyed: threads may still exit (and release their queues) after static teardown.
    static State* state = new State;
    return *state;
}

// ---- Per-thread queues -------------------------------------------------------------------

void RemoveWindow(State& s, HWND window);

struct ThreadQueueSlot {
    std::shared_ptr<ThreadQueue> queue;

    ~ThreadQueueSlot() {
        if (!queue)
            return;
        // Like the system, a thread's windows go away with it (without messages).
        State& s = TheState();
        Guard guard(s.lock);
        std::vector<HWND> owned;
        for (const auto& entry : s.windows)
            if (entry.second->queue == queue)
                owned.push_back(entry.second->record.handle);
        for (HWND window : owned)
            RemoveWindow(s, window);
        std::erase(s.queues, queue.get());
    }
};

thread_local ThreadQueueSlot t_slot;

std::shared_ptr<ThreadQueue> CallerQueue(State& s) {
    if (!t_slot.queue) {
        t_slot.queue = std::make_shared<ThreadQueue>();
        s.queues.push_back(t_slot.queue.get());
    }
    return t_slot.queue;
}

void Signal(ThreadQueue& queue) {
    ++queue.changes;
    queue.wake.notify_all();
}

Now ReadNow() {
    return {SteadyNowMs(), GetTickCount()};
}

// ---- Names ---------------------------------------------------------------------------------

bool IsName(const wchar_t* text) {
    // Small values are atoms, which this emulation does not hand out.
    return reinterpret_cast<std::uintptr_t>(text) >= 0x10000 && *text != L'\0';
}

std::wstring Fold(const wchar_t* text) {
    std::wstring folded(text);
    for (wchar_t& c : folded)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return folded;
}

ClassEntry* FindClass(State& s, const wchar_t* name) {
    if (!IsName(name))
        return nullptr;
    const std::wstring key = Fold(name);
    auto it = std::find_if(s.classes.begin(), s.classes.end(),
                           [&](const ClassEntry& entry) { return entry.key == key; });
    return it == s.classes.end() ? nullptr : &*it;
}

// ---- Windows -------------------------------------------------------------------------------

std::uintptr_t KeyOf(HWND window) {
    return reinterpret_cast<std::uintptr_t>(window);
}

Window* Find(State& s, HWND window) {
    auto it = s.windows.find(KeyOf(window));
    return it == s.windows.end() ? nullptr : it->second.get();
}

bool OwnedByCaller(const Window& window) {
    return window.queue == t_slot.queue;
}

bool IsChildOf(State& s, HWND window, HWND ancestor) {
    for (Window* w = Find(s, window); w && w->record.parent; w = Find(s, w->record.parent))
        if (w->record.parent == ancestor)
            return true;
    return false;
}

// The top-level window above `window` (the owner the system records for an owned window).
HWND RootOf(State& s, HWND window) {
    Window* w = Find(s, window);
    while (w && w->record.parent && w->record.parent != HWND_MESSAGE)
        w = Find(s, w->record.parent);
    return w ? w->record.handle : nullptr;
}

std::vector<HWND> ChildrenOf(State& s, HWND parent) {
    std::vector<HWND> children;
    for (const auto& entry : s.windows)
        if (entry.second->record.parent == parent)
            children.push_back(entry.second->record.handle);
    return children;
}

struct CreationRequest {
    DWORD exStyle;
    const wchar_t* className;
    const wchar_t* title;
    DWORD style;
    WindowRect rect;
    HWND parent;
    HINSTANCE instance;
    DWORD threadId;
};

long RequestedOrZero(int value) {
    return value == CW_USEDEFAULT ? 0 : value;
}

void PlaceInTree(State& s, WindowRecord& record, HWND parent) {
    if (parent == HWND_MESSAGE || (record.style & WS_CHILD))
        record.parent = parent;
    else
        record.owner = RootOf(s, parent);
}

// Validates the request and records the window; null (with the last error set) on failure.
HWND AddWindow(State& s, const CreationRequest& request) {
    const ClassEntry* windowClass = FindClass(s, request.className);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (request.parent && request.parent != HWND_MESSAGE && !Find(s, request.parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((request.style & WS_CHILD) && !request.parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    WindowRecord& record = window->record;
    record.handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 2;
    record.className = windowClass->name;
    record.classStyle = windowClass->style;
    record.title = request.title ? request.title : L"";
    record.style = request.style;
    record.exStyle = request.exStyle;
    PlaceInTree(s, record, request.parent);
    record.rect = request.rect;
    record.client = request.rect;
    record.normalRect = request.rect;
    record.proc = windowClass->proc;
    record.instance = request.instance;
    record.threadId = request.threadId;
    window->classKey = windowClass->key;
    window->queue = CallerQueue(s);
    HWND handle = record.handle;
    const bool topLevel = IsTopLevel(record);
    s.windows.emplace(KeyOf(handle), std::move(window));
    if (topLevel)
        AddToZOrderLocked(handle);
    return handle;
}

void RemoveWindow(State& s, HWND window) {
    auto it = s.windows.find(KeyOf(window));
    if (it == s.windows.end())
        return;
    ThreadQueue& queue = *it->second->queue;
    std::erase_if(queue.posted, [&](const MSG& message) { return message.hwnd == window; });
    std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window; });
    s.windows.erase(it);
    for (const auto& entry : s.windows)
        if (entry.second->record.owner == window)
            entry.second->record.owner = nullptr;
    ForgetWindowLocked(window);
}

// The window procedure to call for the caller, or null (with the last error set).
WNDPROC ProcForCaller(HWND window) {
    State& s = TheState();
    Guard guard(s.lock);
    Window* w = Find(s, window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!OwnedByCaller(*w)) {
        // Sending across threads is not emulated.
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return w->record.proc;
}

// ---- Destruction ---------------------------------------------------------------------------

void MarkDestroying(State& s, HWND window) {
    if (Window* w = Find(s, window))
        w->destroying = true;
    for (HWND child : ChildrenOf(s, window))
        MarkDestroying(s, child);
}

// Owned windows of this thread to destroy first; owned windows of other threads lose their owner.
std::vector<HWND> TakeOwnedWindows(HWND owner) {
    State& s = TheState();
    Guard guard(s.lock);
    std::vector<HWND> owned;
    for (const auto& entry : s.windows) {
        Window& w = *entry.second;
        if (w.record.owner != owner)
            continue;
        if (OwnedByCaller(w) && !w.destroying)
            owned.push_back(w.record.handle);
        else if (!OwnedByCaller(w))
            w.record.owner = nullptr;
    }
    return owned;
}

std::vector<HWND> Children(HWND parent) {
    State& s = TheState();
    Guard guard(s.lock);
    return ChildrenOf(s, parent);
}

void SendDestroyMessages(HWND window) {
    SendMessage(window, WM_DESTROY, 0, 0);
    for (HWND child : Children(window))
        SendDestroyMessages(child);
}

void FreeWindowTree(HWND window) {
    for (HWND child : Children(window))
        FreeWindowTree(child);
    SendMessage(window, WM_NCDESTROY, 0, 0);
    State& s = TheState();
    Guard guard(s.lock);
    RemoveWindow(s, window);
}

// Starts destroying `window` unless it is gone or already being destroyed.
bool BeginDestruction(HWND window) {
    State& s = TheState();
    Guard guard(s.lock);
    Window* w = Find(s, window);
    if (!w || w->destroying)
        return false;
    MarkDestroying(s, window);
    return true;
}

bool Destroying(HWND window) {
    State& s = TheState();
    Guard guard(s.lock);
    Window* w = Find(s, window);
    return !w || w->destroying;
}

// Like the system, a visible window is hidden first (handing activation on), then its owned
// windows go, then the window itself with its children.
void DestroyTree(HWND window) {
    if (!Destroying(window) && IsWindowVisible(window))
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    for (HWND owned : TakeOwnedWindows(window))
        DestroyWindow(owned);
    if (!BeginDestruction(window))
        return;
    SendDestroyMessages(window);
    FreeWindowTree(window);
}

// ---- Retrieval -----------------------------------------------------------------------------

bool FilterWindowValid(State& s, HWND filter) {
    return !filter || filter == ThreadMessagesOnly() || Find(s, filter);
}

bool RangePasses(const Filter& filter, UINT message) {
    if (filter.first == 0 && filter.last == 0)
        return true;
    return message >= filter.first && message <= filter.last;
}

bool WindowPasses(State& s, const Filter& filter, HWND target) {
    if (!filter.window)
        return true;
    if (filter.window == ThreadMessagesOnly())
        return target == nullptr;
    return target == filter.window || IsChildOf(s, target, filter.window);
}

bool Passes(State& s, const Filter& filter, HWND target, UINT message) {
    return RangePasses(filter, message) && WindowPasses(s, filter, target);
}

std::optional<MSG> TakePosted(State& s, ThreadQueue& queue, const Filter& filter, bool remove) {
    auto it = std::find_if(queue.posted.begin(), queue.posted.end(), [&](const MSG& message) {
        return Passes(s, filter, message.hwnd, message.message);
    });
    if (it == queue.posted.end())
        return std::nullopt;
    MSG message = *it;
    if (remove)
        queue.posted.erase(it);
    return message;
}

// The quit flag is seen by every filter, once the matching posted messages are gone.
std::optional<MSG> TakeQuit(ThreadQueue& queue, bool remove, DWORD tick) {
    if (!queue.quitPending)
        return std::nullopt;
    if (remove)
        queue.quitPending = false;
    return MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, tick, POINT{0, 0}};
}

Timer* EarliestTimer(State& s, ThreadQueue& queue, const Filter& filter) {
    Timer* earliest = nullptr;
    for (Timer& timer : queue.timers)
        if (Passes(s, filter, timer.window, WM_TIMER) && (!earliest || timer.dueMs < earliest->dueMs))
            earliest = &timer;
    return earliest;
}

// The next deadline keeps the timer's phase; missed periods collapse into the one message.
void Rearm(Timer& timer, std::int64_t nowMs) {
    if (timer.dueMs <= nowMs)
        timer.dueMs += ((nowMs - timer.dueMs) / timer.periodMs + 1) * timer.periodMs;
}

std::optional<MSG> TakeTimer(State& s, ThreadQueue& queue, const Filter& filter, bool remove,
                             const Now& now) {
    Timer* timer = EarliestTimer(s, queue, filter);
    if (!timer || timer->dueMs > now.ms)
        return std::nullopt;
    MSG message{timer->window, WM_TIMER,   timer->id, reinterpret_cast<LPARAM>(timer->proc),
                now.tick,      POINT{0, 0}};
    if (remove)
        Rearm(*timer, now.ms);
    return message;
}

std::optional<MSG> TakeInput(Lock& lock, State& s, const Filter& filter, bool remove) {
    lock.unlock();
    const MessagePasses passes = [&](HWND target, UINT message) {
        Guard guard(s.lock);
        return Passes(s, filter, target, message);
    };
    std::optional<MSG> message = RetrieveInput(passes, remove);
    lock.lock();
    return message;
}

// The system's order: posted messages, the quit flag, input, paints, hover, timers. `lock` is
// released while input becomes a message (that sends hit tests and cursor requests).
std::optional<MSG> Retrieve(Lock& lock, State& s, ThreadQueue& queue, const Filter& filter, UINT flags,
                            const Now& now) {
    const bool remove = (flags & PM_REMOVE) != 0;
    if (auto message = TakePosted(s, queue, filter, remove))
        return message;
    if (auto message = TakeQuit(queue, remove, now.tick))
        return message;
    if (auto message = TakeInput(lock, s, filter, remove))
        return message;
    // Turning input into messages may have posted some (a mouse leave).
    if (auto message = TakePosted(s, queue, filter, remove))
        return message;
    const DWORD thread = GetCurrentThreadId();
    auto windowPasses = [&](UINT message) {
        return [&s, &filter, message](HWND window) { return Passes(s, filter, window, message); };
    };
    if (auto message = TakePaintLocked(thread, windowPasses(WM_PAINT), now.tick))
        return message;
    if (auto message = TakeHoverLocked(thread, windowPasses(WM_MOUSEHOVER), remove, now.ms, now.tick))
        return message;
    return TakeTimer(s, queue, filter, remove, now);
}

std::optional<std::int64_t> NextDeadline(State& s, ThreadQueue& queue, const Filter& filter) {
    std::optional<std::int64_t> due = HoverDeadlineLocked(GetCurrentThreadId());
    if (const Timer* timer = EarliestTimer(s, queue, filter))
        due = due ? std::min(*due, timer->dueMs) : timer->dueMs;
    return due;
}

void WaitForChange(Lock& lock, ThreadQueue& queue, std::uint64_t seen, std::optional<std::int64_t> dueMs,
                   std::int64_t nowMs) {
    auto changed = [&] { return queue.changes != seen; };
    if (!dueMs) {
        queue.wake.wait(lock, changed);
        return;
    }
    const std::int64_t waitMs = std::max<std::int64_t>(*dueMs - nowMs, 0);
    queue.wake.wait_for(lock, std::chrono::milliseconds(waitMs), changed);
}

// ---- Timers --------------------------------------------------------------------------------

Timer* FindTimer(ThreadQueue& queue, HWND window, UINT_PTR id) {
    auto it = std::find_if(queue.timers.begin(), queue.timers.end(),
                           [&](const Timer& timer) { return timer.window == window && timer.id == id; });
    return it == queue.timers.end() ? nullptr : &*it;
}

// A thread timer id unused in `queue`, or 0 when every id is taken.
UINT_PTR NewThreadTimerId(State& s, ThreadQueue& queue) {
    for (UINT_PTR tries = 0; tries <= kLastThreadTimerId - kFirstThreadTimerId; ++tries) {
        const UINT_PTR id = s.nextThreadTimerId;
        s.nextThreadTimerId = id == kLastThreadTimerId ? kFirstThreadTimerId : id + 1;
        if (!FindTimer(queue, nullptr, id))
            return id;
    }
    return 0;
}

// The queue that receives the timer's messages, or null (with the last error set).
ThreadQueue* TimerQueue(State& s, HWND window) {
    if (!window)
        return CallerQueue(s).get();
    if (Window* w = Find(s, window))
        return w->queue.get();
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

Timer* FindOrAddTimer(State& s, ThreadQueue& queue, HWND window, UINT_PTR id) {
    if (Timer* existing = FindTimer(queue, window, id))
        return existing;
    const UINT_PTR newId = window ? id : NewThreadTimerId(s, queue);
    if (!window && newId == 0) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return nullptr;
    }
    queue.timers.push_back(Timer{window, newId});
    return &queue.timers.back();
}

TIMERPROC KnownTimerProc(LPARAM value) {
    auto proc = reinterpret_cast<TIMERPROC>(value);
    State& s = TheState();
    Guard guard(s.lock);
    return s.timerProcs.count(proc) ? proc : nullptr;
}

} // namespace

// ---- Internal interfaces -------------------------------------------------------------------

void WakeAllMessageQueues() {
    State& s = TheState();
    Guard guard(s.lock);
    for (ThreadQueue* queue : s.queues)
        Signal(*queue);
}

bool VisitWindow(HWND window, const std::function<void(WindowRecord&)>& visit) {
    State& s = TheState();
    Guard guard(s.lock);
    Window* w = Find(s, window);
    if (w)
        visit(w->record);
    return w != nullptr;
}

std::optional<WindowRecord> FindWindowRecord(HWND window) {
    std::optional<WindowRecord> copy;
    VisitWindow(window, [&](WindowRecord& record) { copy = record; });
    return copy;
}

std::vector<WindowRecord> ListWindows() {
    State& s = TheState();
    Guard guard(s.lock);
    std::vector<WindowRecord> records;
    for (const auto& entry : s.windows)
        records.push_back(entry.second->record);
    return records;
}

std::unique_lock<std::mutex> LockWindows() {
    return std::unique_lock<std::mutex>(TheState().lock);
}

WindowRecord* FindRecordLocked(HWND window) {
    Window* w = Find(TheState(), window);
    return w ? &w->record : nullptr;
}

void ForEachRecordLocked(const std::function<void(WindowRecord&)>& visit) {
    for (const auto& entry : TheState().windows)
        visit(entry.second->record);
}

void WakeWindowThreadLocked(HWND window) {
    if (Window* w = Find(TheState(), window))
        Signal(*w->queue);
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

bool RegisterClass(const WindowClass& windowClass) {
    State& s = TheState();
    Guard guard(s.lock);
    if (!IsName(windowClass.name) || !windowClass.proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (FindClass(s, windowClass.name)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return false;
    }
    s.classes.push_back(ClassEntry{windowClass.name, Fold(windowClass.name), windowClass.proc,
                                   windowClass.style, windowClass.instance});
    return true;
}

bool UnregisterClass(const wchar_t* name, HINSTANCE) {
    State& s = TheState();
    Guard guard(s.lock);
    ClassEntry* entry = FindClass(s, name);
    if (!entry) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return false;
    }
    for (const auto& window : s.windows) {
        if (window.second->classKey == entry->key) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return false;
        }
    }
    s.classes.erase(s.classes.begin() + (entry - s.classes.data()));
    return true;
}

HWND CreateWindowEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* param, HINSTANCE instance) {
    const WindowRect rect{RequestedOrZero(x), RequestedOrZero(y), RequestedOrZero(x) + RequestedOrZero(width),
                          RequestedOrZero(y) + RequestedOrZero(height)};
    // Visibility and the size states come from ShowWindow once the window exists.
    const DWORD initialStyle = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    const CreationRequest request{exStyle, className, title,    initialStyle,
                                  rect,    parent,    instance, GetCurrentThreadId()};
    HWND window = nullptr;
    {
        State& s = TheState();
        Guard guard(s.lock);
        window = AddWindow(s, request);
    }
    if (!window)
        return nullptr;
    CreateStruct create{
        param, instance,  nullptr, parent, height, width, y, x, static_cast<std::int32_t>(style),
        title, className, exStyle};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    SendCreationMinMax(window);
    if (!IsWindow(window) || !SendMessage(window, WM_NCCREATE, 0, createParam)) {
        // A refused WM_NCCREATE still ends with WM_NCDESTROY, but WM_DESTROY is never sent.
        if (BeginDestruction(window))
            FreeWindowTree(window);
        return nullptr;
    }
    if (IsWindow(window))
        SendCreationClientSize(window);
    if (IsWindow(window) && SendMessage(window, WM_CREATE, 0, createParam) == -1)
        DestroyTree(window);
    if (IsWindow(window))
        SendCreationSizeAndMove(window);
    if (IsWindow(window) && (style & WS_VISIBLE))
        ShowWindow(window, SW_SHOW);
    return IsWindow(window) ? window : nullptr;
}

void* CreateParamOf(LPARAM createStruct) {
    return createStruct ? reinterpret_cast<const CreateStruct*>(createStruct)->createParams : nullptr;
}

bool DestroyWindow(HWND window) {
    {
        State& s = TheState();
        Guard guard(s.lock);
        Window* w = Find(s, window);
        if (!w || w->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        if (!OwnedByCaller(*w)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    DestroyTree(window);
    return true;
}

bool IsWindow(HWND window) {
    State& s = TheState();
    Guard guard(s.lock);
    return Find(s, window) != nullptr;
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const DWORD tick = GetTickCount();
    State& s = TheState();
    Guard guard(s.lock);
    ThreadQueue* queue = nullptr;
    if (!window) {
        queue = CallerQueue(s).get();
    } else if (Window* w = Find(s, window)) {
        queue = w->queue.get();
    } else {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (queue->posted.size() >= kPostedMessageLimit) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    queue->posted.push_back(MSG{window, message, wParam, lParam, tick, DesktopLocked().cursor});
    Signal(*queue);
    return true;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = ProcForCaller(window);
    return proc ? proc(window, message, wParam, lParam) : 0;
}

UINT RegisterWindowMessage(const wchar_t* name) {
    if (!IsName(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring key = Fold(name);
    State& s = TheState();
    Guard guard(s.lock);
    auto& names = s.registeredMessages;
    auto it = std::find(names.begin(), names.end(), key);
    if (it == names.end()) {
        if (names.size() > kLastRegisteredMessage - kFirstRegisteredMessage) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        it = names.insert(names.end(), key);
    }
    return kFirstRegisteredMessage + static_cast<UINT>(it - names.begin());
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return 1;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

int GetMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    State& s = TheState();
    Lock lock(s.lock);
    if (!FilterWindowValid(s, filter)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    const std::shared_ptr<ThreadQueue> queue = CallerQueue(s);
    const Filter matching{filter, filterMin, filterMax};
    for (;;) {
        // The clock is read without the lock; a change meanwhile shows in `changes`.
        const std::uint64_t seen = queue->changes;
        lock.unlock();
        const Now now = ReadNow();
        lock.lock();
        if (auto found = Retrieve(lock, s, *queue, matching, PM_REMOVE, now)) {
            *message = *found;
            return found->message == WM_QUIT ? 0 : 1;
        }
        WaitForChange(lock, *queue, seen, NextDeadline(s, *queue, matching), now.ms);
    }
}

bool PeekMessage(MSG* message, HWND filter, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const Now now = ReadNow();
    State& s = TheState();
    Lock lock(s.lock);
    if (!FilterWindowValid(s, filter)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    const std::shared_ptr<ThreadQueue> queue = CallerQueue(s);
    auto found = Retrieve(lock, s, *queue, Filter{filter, filterMin, filterMax}, removeFlags, now);
    if (found)
        *message = *found;
    return found.has_value();
}

bool TranslateMessage(const MSG* message) {
    return message && TranslateKey(*message);
}

LRESULT DispatchMessage(const MSG* message) {
    if (!message)
        return 0;
    if (message->message == WM_TIMER && message->lParam) {
        if (TIMERPROC callback = KnownTimerProc(message->lParam)) {
            callback(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
            return 0;
        }
    }
    if (!message->hwnd)
        return 0;
    return SendMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    State& s = TheState();
    Guard guard(s.lock);
    ThreadQueue& queue = *CallerQueue(s);
    queue.quitPending = true;
    queue.quitCode = exitCode;
    Signal(queue);
}

namespace {

std::optional<LONG_PTR> ReadLong(const WindowRecord& record, int index) {
    switch (index) {
    case GWLP_USERDATA:
        return record.userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(record.proc);
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<std::int32_t>(record.style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<std::int32_t>(record.exStyle));
    default:
        return std::nullopt;
    }
}

// Leaving the layered state drops what the layered calls had set.
void SetExStyleLocked(WindowRecord& record, DWORD exStyle) {
    if ((record.exStyle & WS_EX_LAYERED) && !(exStyle & WS_EX_LAYERED)) {
        record.opacity.reset();
        if (record.layeredContent) {
            record.layeredContent = false;
            record.pixels.reset();
        }
    }
    record.exStyle = exStyle;
}

void WriteLong(WindowRecord& record, int index, LONG_PTR value) {
    if (index == GWLP_USERDATA)
        record.userData = value;
    else if (index == GWLP_WNDPROC)
        record.proc = reinterpret_cast<WNDPROC>(value);
    else if (index == GWL_STYLE)
        record.style = static_cast<DWORD>(value);
    else if (index == GWL_EXSTYLE)
        SetExStyleLocked(record, static_cast<DWORD>(value));
}

// Reads the slot and, with a value, replaces it; returns the previous value (0 on failure).
LONG_PTR ExchangeLong(HWND window, int index, std::optional<LONG_PTR> value) {
    State& s = TheState();
    Guard guard(s.lock);
    Window* w = Find(s, window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::optional<LONG_PTR> previous = ReadLong(w->record, index);
    if (!previous) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (value)
        WriteLong(w->record, index, *value);
    return *previous;
}

} // namespace

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
    return ExchangeLong(window, index, value);
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
    return ExchangeLong(window, index, std::nullopt);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback) {
    const std::int64_t nowMs = SteadyNowMs();
    State& s = TheState();
    Guard guard(s.lock);
    ThreadQueue* queue = TimerQueue(s, window);
    Timer* timer = queue ? FindOrAddTimer(s, *queue, window, id) : nullptr;
    if (!timer)
        return 0;
    timer->periodMs = std::clamp(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    timer->proc = callback;
    timer->dueMs = nowMs + timer->periodMs;
    if (callback)
        s.timerProcs.insert(callback);
    Signal(*queue);
    // A window timer with id 0 still reports success.
    return window && timer->id == 0 ? 1 : timer->id;
}

bool KillTimer(HWND window, UINT_PTR id) {
    State& s = TheState();
    Guard guard(s.lock);
    ThreadQueue* queue = window ? TimerQueue(s, window) : t_slot.queue.get();
    if (!queue)
        return false;
    const auto removed = std::erase_if(
        queue->timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
    if (removed == 0)
        SetLastError(ERROR_INVALID_PARAMETER);
    return removed != 0;
}

} // namespace plat
