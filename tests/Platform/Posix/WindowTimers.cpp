// Window and thread timers against the emulated clock, which these tests move by hand. Periods
// are long so that the real time a test takes never makes a timer due.
#include "Platform/Posix/TestDesktop.h"
#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace plat;
using namespace std::chrono_literals;

using Retrieved = std::vector<std::pair<UINT, WPARAM>>;

// What a message loop would retrieve now, in order.
Retrieved Drain() {
    Retrieved retrieved;
    MSG message{};
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        retrieved.emplace_back(message.message, message.wParam);
    return retrieved;
}

class WindowTimers : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"WindowTimersTestClass";

    void SetUp() override {
        ASSERT_TRUE(RegisterClass(WindowClass{.name = kClass, .proc = DefWindowProc}));
        window_ = CreateWindowEx(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override {
        DestroyWindow(window_);
        Drain();
        EXPECT_TRUE(UnregisterClass(kClass, nullptr));
    }

    HWND window_ = nullptr;
};

struct Step {
    std::int64_t advanceMs;
    Retrieved expected;
};

void RunSteps(const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        test::AdvanceClock(steps[i].advanceMs);
        EXPECT_EQ(Drain(), steps[i].expected);
    }
}

TEST_F(WindowTimers, FiresOncePerRetrievalAndKeepsItsPhase) {
    ASSERT_EQ(SetTimer(window_, 1, 60000, nullptr), 1u);
    RunSteps({
        {0, {}},
        {59000, {}},
        {1000, {{WM_TIMER, 1}}},
        {0, {}},
        {600000, {{WM_TIMER, 1}}}, // ten missed periods make one message
        {0, {}},
        {60000, {{WM_TIMER, 1}}},
    });
}

TEST_F(WindowTimers, SettingAgainRestartsTheSameTimer) {
    ASSERT_EQ(SetTimer(window_, 1, 60000, nullptr), 1u);
    test::AdvanceClock(40000);
    ASSERT_EQ(SetTimer(window_, 1, 60000, nullptr), 1u);
    RunSteps({{40000, {}}, {20000, {{WM_TIMER, 1}}}});
    ASSERT_EQ(SetTimer(window_, 1, 1000, nullptr), 1u);
    RunSteps({{1000, {{WM_TIMER, 1}}}, {500, {}}});
}

TEST_F(WindowTimers, PostedMessagesThenQuitThenTimers) {
    ASSERT_NE(SetTimer(window_, 2, 60000, nullptr), 0u);
    test::AdvanceClock(60000);
    PostQuitMessage(3);
    PostMessage(window_, WM_USER, 0, 0);
    EXPECT_EQ(Drain(), (Retrieved{{WM_USER, 0}, {WM_QUIT, 3}, {WM_TIMER, 2}}));
}

TEST_F(WindowTimers, DestroyedWindowTimersNeverFire) {
    ASSERT_NE(SetTimer(window_, 4, 60000, nullptr), 0u);
    ASSERT_TRUE(DestroyWindow(window_));
    RunSteps({{60000, {}}});
}

TEST_F(WindowTimers, ThreadTimersBelongToTheirThread) {
    const UINT_PTR first = SetTimer(nullptr, 0, 60000, nullptr);
    const UINT_PTR second = SetTimer(nullptr, 0, 60000, nullptr);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(SetTimer(nullptr, first, 30000, nullptr), first);

    bool killedElsewhere = true;
    std::thread([&] { killedElsewhere = KillTimer(nullptr, first); }).join();
    EXPECT_FALSE(killedElsewhere);

    RunSteps({{30000, {{WM_TIMER, first}}}});
    EXPECT_TRUE(KillTimer(nullptr, first));
    EXPECT_TRUE(KillTimer(nullptr, second));
    RunSteps({{60000, {}}});
}

TEST_F(WindowTimers, AdvancingTheClockWakesABlockedLoop) {
    std::promise<void> armed;
    int result = -2;
    MSG message{};
    std::thread loop([&] {
        const UINT_PTR id = SetTimer(nullptr, 0, 60000, nullptr);
        armed.set_value();
        result = GetMessage(&message, nullptr, 0, 0);
        KillTimer(nullptr, id);
    });
    armed.get_future().wait();
    std::this_thread::sleep_for(20ms);
    const auto start = std::chrono::steady_clock::now();
    test::AdvanceClock(60000);
    loop.join();

    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_EQ(message.hwnd, nullptr);
}

TEST_F(WindowTimers, ForgedTimerMessageDoesNotCallItsParameter) {
    // Only callbacks handed to SetTimer are called; anything else goes to the window procedure.
    const MSG forged{window_, WM_TIMER, 5, 0x1234, 0, POINT{0, 0}};
    EXPECT_EQ(DispatchMessage(&forged), 0);
}

} // namespace
