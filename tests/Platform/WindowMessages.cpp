// The window message core as the system defines it: creation and destruction, queues, sends,
// registered messages, quit, timers and the user-data slot.
#include "Platform/Types.h"
#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace plat;
using namespace std::chrono_literals;

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;

    bool operator==(const Seen&) const = default;
};

using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// Window procedures run on the thread that created the window: the main test thread.
std::vector<Seen> g_seen;
Handler g_handler;

// The system sends more (sizing, activation, ...) than the tests look at.
bool Interesting(UINT message) {
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_CLOSE:
    case WM_TIMER:
        return true;
    default:
        return message >= WM_USER && message < WM_USER + 0x100;
    }
}

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Interesting(message))
        g_seen.push_back({window, message, wParam});
    if (g_handler)
        if (const std::optional<LRESULT> result = g_handler(window, message, wParam, lParam))
            return *result;
    return DefWindowProc(window, message, wParam, lParam);
}

HWND ThreadMessagesOnly() {
    return reinterpret_cast<HWND>(std::intptr_t(-1));
}

class WindowMessages : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"WindowMessagesTestClass";

    void SetUp() override {
        g_seen.clear();
        g_handler = nullptr;
        ASSERT_TRUE(RegisterClass(WindowClass{.name = kClass, .proc = RecordingProc}));
    }

    void TearDown() override {
        for (HWND window : created_)
            if (IsWindow(window))
                DestroyWindow(window);
        MSG message{};
        while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_handler = nullptr;
        EXPECT_TRUE(UnregisterClass(kClass, nullptr));
    }

    HWND Create(HWND parent = HWND_MESSAGE, void* param = nullptr) {
        HWND window = CreateWindowEx(0, kClass, L"", 0, 0, 0, 0, 0, parent, param);
        if (window)
            created_.push_back(window);
        return window;
    }

    static std::vector<UINT> MessagesOf(HWND window) {
        std::vector<UINT> messages;
        for (const Seen& seen : g_seen)
            if (seen.window == window)
                messages.push_back(seen.message);
        return messages;
    }

    // Runs the loop until `done` holds (the caller arranges that it will).
    static void PumpUntil(const std::function<bool()>& done) {
        MSG message{};
        while (!done() && GetMessage(&message, nullptr, 0, 0) > 0)
            DispatchMessage(&message);
    }

    static std::optional<UINT> Peek(HWND filter, UINT first, UINT last, UINT flags) {
        MSG message{};
        if (!PeekMessage(&message, filter, first, last, flags))
            return std::nullopt;
        return message.message;
    }

    std::vector<HWND> created_;
};

TEST_F(WindowMessages, CreationSendsNcCreateThenCreateWithTheCreateParam) {
    int param = 0;
    std::vector<void*> params;
    g_handler = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_NCCREATE || message == WM_CREATE)
            params.push_back(CreateParamOf(lParam));
        return std::nullopt;
    };
    HWND window = Create(HWND_MESSAGE, &param);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(MessagesOf(window), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(params, (std::vector<void*>{&param, &param}));
}

TEST_F(WindowMessages, RefusedCreationDestroysTheWindow) {
    struct Case {
        UINT refused;
        LRESULT answer;
    };
    for (const Case& c : {Case{WM_NCCREATE, 0}, Case{WM_CREATE, -1}}) {
        SCOPED_TRACE(c.refused);
        g_seen.clear();
        g_handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            return message == c.refused ? std::optional<LRESULT>(c.answer) : std::nullopt;
        };
        EXPECT_EQ(Create(), nullptr);
        ASSERT_FALSE(g_seen.empty());
        const HWND attempted = g_seen.front().window;
        EXPECT_FALSE(IsWindow(attempted));
        EXPECT_EQ(g_seen.back().message, WM_NCDESTROY);
        const std::vector<UINT> messages = MessagesOf(attempted);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_CREATE), c.refused == WM_CREATE ? 1 : 0);
    }
}

TEST_F(WindowMessages, ClassNamesAreTakenOncePerProcess) {
    EXPECT_FALSE(RegisterClass(WindowClass{.name = kClass, .proc = RecordingProc}));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_FALSE(RegisterClass(WindowClass{.name = L"windowmessagestestclass", .proc = RecordingProc}));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    EXPECT_EQ(CreateWindowEx(0, L"WindowMessagesNoSuchClass", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);

    ASSERT_NE(Create(), nullptr);
    EXPECT_FALSE(UnregisterClass(kClass, nullptr)); // it still has a window

    constexpr const wchar_t* kOther = L"WindowMessagesOtherClass";
    ASSERT_TRUE(RegisterClass(WindowClass{.name = kOther, .proc = RecordingProc}));
    EXPECT_TRUE(UnregisterClass(kOther, nullptr));
    EXPECT_FALSE(UnregisterClass(kOther, nullptr));
}

TEST_F(WindowMessages, DestroySendsDestroyThenNcDestroyAndDropsQueuedWork) {
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessage(window, WM_USER, 0, 0));
    ASSERT_NE(SetTimer(window, 3, 10, nullptr), 0u);
    g_seen.clear();

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(MessagesOf(window), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(Peek(nullptr, 0, 0, PM_REMOVE), std::nullopt);
}

TEST_F(WindowMessages, StaleHandleIsRejectedAndNotReused) {
    HWND stale = Create();
    ASSERT_TRUE(DestroyWindow(stale));
    HWND next = Create();
    EXPECT_NE(next, stale);
    EXPECT_FALSE(IsWindow(stale));

    SetLastError(0);
    EXPECT_FALSE(PostMessage(stale, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(stale));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtr(stale, GWLP_USERDATA), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    MSG message{};
    SetLastError(0);
    EXPECT_EQ(GetMessage(&message, stale, 0, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowMessages, OwnedWindowsAreDestroyedBeforeTheirOwner) {
    HWND owner = Create(nullptr);
    ASSERT_NE(owner, nullptr);
    HWND owned = Create(owner);
    ASSERT_NE(owned, nullptr);
    g_seen.clear();

    ASSERT_TRUE(DestroyWindow(owner));
    const std::vector<Seen> expected{
        {owned, WM_DESTROY, 0}, {owned, WM_NCDESTROY, 0}, {owner, WM_DESTROY, 0}, {owner, WM_NCDESTROY, 0}};
    EXPECT_EQ(g_seen, expected);
    EXPECT_FALSE(IsWindow(owned));
}

TEST_F(WindowMessages, CloseThroughTheDefaultProcedureDestroys) {
    HWND window = Create();
    g_seen.clear();
    EXPECT_EQ(SendMessage(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(MessagesOf(window), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowMessages, OnlyTheCreatingThreadMayDestroy) {
    HWND window = Create();
    bool destroyed = true;
    DWORD error = 0;
    std::thread([&] {
        destroyed = DestroyWindow(window);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowMessages, WindowsEndWithTheirThread) {
    HWND window = nullptr;
    std::thread([&] {
        window = CreateWindowEx(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }).join();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowMessages, PostFromAnotherThreadWakesABlockedGetMessage) {
    HWND window = Create();
    std::thread poster([window] {
        std::this_thread::sleep_for(50ms);
        PostMessage(window, WM_USER + 1, 42, 7);
    });
    const auto start = std::chrono::steady_clock::now();
    MSG message{};
    const int result = GetMessage(&message, nullptr, 0, 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    poster.join();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.message, WM_USER + 1);
    EXPECT_EQ(message.wParam, 42u);
    EXPECT_EQ(message.lParam, 7);
    EXPECT_LT(waited, 2s);
}

TEST_F(WindowMessages, PostsFromManyThreadsKeepEachThreadsOrder) {
    constexpr int kThreads = 4;
    constexpr int kEach = 250;
    HWND window = Create();
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([window, t] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(PostMessage(window, WM_USER + 2, t, i));
        });
    std::array<LPARAM, kThreads> next{};
    MSG message{};
    for (int received = 0; received < kThreads * kEach; ++received) {
        ASSERT_EQ(GetMessage(&message, window, WM_USER + 2, WM_USER + 2), 1);
        ASSERT_LT(message.wParam, static_cast<WPARAM>(kThreads));
        EXPECT_EQ(message.lParam, next[message.wParam]++);
    }
    for (std::thread& poster : posters)
        poster.join();
}

TEST_F(WindowMessages, SameThreadSendCallsTheProcedureAtOnce) {
    HWND window = Create();
    g_handler = [](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_USER + 3)
            return static_cast<LRESULT>(wParam) + lParam;
        return std::nullopt;
    };
    g_seen.clear();
    EXPECT_EQ(SendMessage(window, WM_USER + 3, 2, 3), 5);
    EXPECT_EQ(MessagesOf(window), (std::vector<UINT>{WM_USER + 3}));
    EXPECT_EQ(Peek(nullptr, 0, 0, PM_NOREMOVE), std::nullopt);
}

TEST_F(WindowMessages, RegisteredMessageIdsFollowTheName) {
    const UINT first = RegisterWindowMessage(L"WindowMessages.Registered.A");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage(L"WindowMessages.Registered.A"), first);
    EXPECT_EQ(RegisterWindowMessage(L"windowmessages.registered.a"), first);
    const UINT other = RegisterWindowMessage(L"WindowMessages.Registered.B");
    EXPECT_GE(other, 0xC000u);
    EXPECT_NE(other, first);
}

TEST_F(WindowMessages, QuitComesAfterThePostedMessages) {
    HWND window = Create();
    PostMessage(window, WM_USER + 4, 0, 0);
    PostQuitMessage(7);
    PostMessage(window, WM_USER + 5, 0, 0);

    MSG message{};
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.message, WM_USER + 4);
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.message, WM_USER + 5);
    ASSERT_EQ(GetMessage(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_EQ(Peek(nullptr, 0, 0, PM_REMOVE), std::nullopt);
}

TEST_F(WindowMessages, FiltersSelectByWindowAndRange) {
    HWND a = Create();
    HWND b = Create();
    PostMessage(a, WM_USER + 1, 0, 0);
    PostMessage(b, WM_USER + 2, 0, 0);
    PostMessage(nullptr, WM_USER + 3, 0, 0);
    struct Case {
        const char* name;
        HWND filter;
        UINT first;
        UINT last;
        std::optional<UINT> expected;
    };
    const Case cases[] = {
        {"everything", nullptr, 0, 0, WM_USER + 1},
        {"window b", b, 0, 0, WM_USER + 2},
        {"range", nullptr, WM_USER + 2, WM_USER + 3, WM_USER + 2},
        {"thread messages", ThreadMessagesOnly(), 0, 0, WM_USER + 3},
        {"window a outside its range", a, WM_USER + 2, WM_USER + 3, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Peek(c.filter, c.first, c.last, PM_NOREMOVE), c.expected);
        EXPECT_EQ(Peek(c.filter, c.first, c.last, PM_NOREMOVE), c.expected); // still there
    }
    for (UINT expected : {WM_USER + 1, WM_USER + 2, WM_USER + 3})
        EXPECT_EQ(Peek(nullptr, 0, 0, PM_REMOVE), expected);
}

struct TimerCall {
    HWND window;
    UINT message;
    UINT_PTR id;
    bool insideDispatch;

    bool operator==(const TimerCall&) const = default;
};
std::vector<TimerCall> g_timerCalls;
bool g_dispatching = false;

void RecordingTimerProc(HWND window, UINT message, UINT_PTR id, DWORD) {
    g_timerCalls.push_back({window, message, id, g_dispatching});
}

TEST_F(WindowMessages, ThreadTimerCallbackRunsInsideDispatch) {
    g_timerCalls.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 10, RecordingTimerProc);
    ASSERT_NE(id, 0u);
    MSG message{};
    while (g_timerCalls.empty() && GetMessage(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            EXPECT_EQ(message.hwnd, nullptr);
            EXPECT_EQ(message.wParam, id);
        }
        g_dispatching = true;
        DispatchMessage(&message);
        g_dispatching = false;
    }
    EXPECT_EQ(g_timerCalls, (std::vector<TimerCall>{{nullptr, WM_TIMER, id, true}}));
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_FALSE(KillTimer(nullptr, id));
}

TEST_F(WindowMessages, WindowTimerReachesTheProcedureUntilKilled) {
    HWND window = Create();
    ASSERT_NE(SetTimer(window, 7, 10, nullptr), 0u);
    g_seen.clear();
    PumpUntil([window] {
        const std::vector<UINT> messages = MessagesOf(window);
        return std::find(messages.begin(), messages.end(), WM_TIMER) != messages.end();
    });
    EXPECT_EQ(g_seen.back(), (Seen{window, WM_TIMER, 7}));

    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 8));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(Peek(window, WM_TIMER, WM_TIMER, PM_REMOVE), std::nullopt);
}

TEST_F(WindowMessages, NestedLoopInsideAProcedureRunsMessagesAndTimers) {
    HWND window = Create();
    int depth = 0;
    int depthAtInner = -1;
    static bool s_timerFired;
    s_timerFired = false;
    g_handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 10) {
            const UINT_PTR id =
                SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { s_timerFired = true; });
            ++depth;
            PumpUntil([] { return s_timerFired; });
            --depth;
            KillTimer(nullptr, id);
            return 0;
        }
        if (message == WM_USER + 11)
            depthAtInner = depth;
        return std::nullopt;
    };
    g_seen.clear();
    PostMessage(window, WM_USER + 10, 0, 0);
    PostMessage(window, WM_USER + 11, 0, 0);
    MSG message{};
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&message);

    EXPECT_TRUE(s_timerFired);
    EXPECT_EQ(depthAtInner, 1);
    EXPECT_EQ(MessagesOf(window), (std::vector<UINT>{WM_USER + 10, WM_USER + 11}));
}

LRESULT ReplacementProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_USER + 20 ? 99 : DefWindowProc(window, message, wParam, lParam);
}

TEST_F(WindowMessages, UserDataAndProcedureSlots) {
    HWND window = Create();
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, 5678), 1234);
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 5678);

    EXPECT_EQ(GetWindowLongPtr(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(RecordingProc));
    EXPECT_EQ(SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReplacementProc)),
              reinterpret_cast<LONG_PTR>(RecordingProc));
    EXPECT_EQ(SendMessage(window, WM_USER + 20, 0, 0), 99);
    EXPECT_EQ(GetWindowLongPtr(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ReplacementProc));
}

} // namespace
