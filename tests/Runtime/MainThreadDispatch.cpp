#include "Runtime/MainThreadDispatch.h"

#include "Platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

class ScriptedClock : public DispatcherClock::Source {
public:
    std::uint64_t SystemMs() override { return systemMs; }
    bool CounterFrequency(std::int64_t* perSecond) override {
        *perSecond = 1000;
        return haveCounter;
    }
    std::int64_t Counter() override { return counter; }
    plat::DWORD TickCount() override { return tick; }
    void FineTimer(bool) override {}

    void Advance(std::int64_t ms) {
        systemMs += ms;
        counter += ms;
        tick += static_cast<plat::DWORD>(ms);
    }

    std::uint64_t systemMs = 1'400'000'000'000;
    std::int64_t counter = 5'000;
    plat::DWORD tick = 5'000;
    bool haveCounter = true;
};

class Tracker : public CRefThreadSafeBase<Tracker> {
public:
    explicit Tracker(int* liveCount) : live(liveCount) { ++*live; }
    virtual ~Tracker() { --*live; }

private:
    int* live;
};

std::vector<std::wstring> g_ran;
ScriptedClock* g_clock = nullptr;

void Record(const std::wstring& name, int costMs) {
    g_ran.push_back(name);
    g_clock->Advance(costMs);
}

void Hold(const CRefPtr<Tracker>&, int) {
    g_ran.push_back(L"held");
}

void PostFollowUp(const std::wstring& name, int) {
    g_ran.push_back(name);
    RunOnMainThread(&Record, std::wstring(L"follow-up"), 0);
}

class Dispatch : public testing::Test {
protected:
    void SetUp() override {
        TakeMessages(); // wake-ups left for windows of earlier tests
        g_ran.clear();
        g_clock = &clock;
        SetDispatcherClockSource(&clock);
        InitMainThreadDispatcher();
    }
    void TearDown() override {
        ShutdownMainThreadDispatcher();
        SetDispatcherClockSource(nullptr);
        g_clock = nullptr;
    }

    // Removes every message of this thread's queue; returns how many were wake-ups.
    int TakeMessages(std::vector<plat::MSG>* taken = nullptr) {
        const plat::UINT wakeUp = plat::RegisterWindowMessage(L"PelmoNet.MainThreadFired");
        int wakeUps = 0;
        plat::MSG msg{};
        while (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) {
            wakeUps += msg.message == wakeUp ? 1 : 0;
            if (taken != nullptr) {
                taken->push_back(msg);
            }
        }
        return wakeUps;
    }

    // Dispatches the waiting wake-up(s); returns how many there were.
    int Pump() {
        std::vector<plat::MSG> taken;
        const int wakeUps = TakeMessages(&taken);
        for (const plat::MSG& msg : taken) {
            plat::DispatchMessage(&msg);
        }
        return wakeUps;
    }

    ScriptedClock clock;
};

TEST_F(Dispatch, TasksFromAWorkerShareOneWakeUpAndRunInOrder) {
    std::thread worker([] {
        for (const wchar_t* name : {L"1", L"2", L"3"}) {
            RunOnMainThread(&Record, std::wstring(name), 0);
        }
    });
    worker.join();
    EXPECT_TRUE(g_ran.empty());
    EXPECT_EQ(Pump(), 1);
    EXPECT_EQ(g_ran, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(Pump(), 0);
}

TEST_F(Dispatch, ATaskMayPostAnotherThatRunsInTheSameDrain) {
    RunOnMainThread(&PostFollowUp, std::wstring(L"first"), 0);
    EXPECT_EQ(Pump(), 1);
    EXPECT_EQ(g_ran, (std::vector<std::wstring>{L"first", L"follow-up"}));
    EXPECT_EQ(Pump(), 1); // the follow-up's own wake-up finds nothing to do
    EXPECT_EQ(g_ran.size(), 2u);
}

TEST_F(Dispatch, ADrainStopsOnceItsBudgetIsSpent) {
    for (const wchar_t* name : {L"1", L"2", L"3", L"4", L"5"}) {
        RunOnMainThread(&Record, std::wstring(name), 30);
    }
    const struct {
        int wakeUps;
        std::vector<std::wstring> ran;
    } turns[] = {
        {1, {L"1", L"2"}},
        {1, {L"1", L"2", L"3", L"4"}},
        {1, {L"1", L"2", L"3", L"4", L"5"}},
        {0, {L"1", L"2", L"3", L"4", L"5"}},
    };
    for (const auto& turn : turns) {
        EXPECT_EQ(Pump(), turn.wakeUps);
        EXPECT_EQ(g_ran, turn.ran);
    }
}

TEST_F(Dispatch, ShutdownReleasesPendingTasksUnrun) {
    int live = 0;
    CRefPtr<Tracker> tracker(new Tracker(&live));
    for (int i = 0; i < 3; ++i) {
        RunOnMainThread(&Hold, tracker, i);
    }
    EXPECT_EQ(tracker->RefCount(), 4);
    tracker = nullptr;
    EXPECT_EQ(live, 1);
    ShutdownMainThreadDispatcher();
    EXPECT_EQ(live, 0);
    Pump();
    EXPECT_TRUE(g_ran.empty());
}

TEST_F(Dispatch, AfterShutdownATaskIsReleasedAtOnceAndNothingIsPosted) {
    ShutdownMainThreadDispatcher();
    int live = 0;
    std::thread worker([&live] { RunOnMainThread(&Hold, CRefPtr<Tracker>(new Tracker(&live)), 0); });
    worker.join();
    EXPECT_EQ(live, 0);
    EXPECT_EQ(Pump(), 0);
    EXPECT_TRUE(g_ran.empty());
}

TEST_F(Dispatch, ManyProducersLoseNoTask) {
    constexpr int kThreads = 3;
    constexpr int kTasks = 300;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([t] {
            for (int i = 0; i < kTasks; ++i) {
                RunOnMainThread(&Record, std::to_wstring(t) + L":" + std::to_wstring(i), 0);
            }
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (g_ran.size() < std::size_t{kThreads * kTasks} && std::chrono::steady_clock::now() < deadline) {
        plat::MSG msg{};
        if (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) {
            plat::DispatchMessage(&msg);
        } else {
            std::this_thread::yield();
        }
    }
    for (auto& worker : workers) {
        worker.join();
    }
    ASSERT_EQ(g_ran.size(), std::size_t{kThreads * kTasks}) << "a wake-up was lost";
    int next[kThreads] = {};
    for (const std::wstring& name : g_ran) {
        const int t = name[0] - L'0';
        EXPECT_EQ(name, std::to_wstring(t) + L":" + std::to_wstring(next[t]));
        ++next[t];
    }
}

TEST(DispatcherClock, NeverRunsBackwards) {
    ScriptedClock source;
    source.systemMs = 10'000'000;
    DispatcherClock clock(source);
    const struct {
        const char* step;
        std::int64_t advanceMs;
        std::int64_t shiftSystemMs;
        std::int64_t jumpCounterMs;
        double reading;
    } steps[] = {
        {"first reading", 0, 0, 0, 10000.000},
        {"time passes", 250, 0, 0, 10000.250},
        {"set back an hour", 0, -3'600'000, 0, 10000.250},
        {"recalibrated lower: holds", 100, 0, 0, 10000.250},
        {"then moves on", 200, 0, 0, 10000.450},
        {"set back a second", 0, -1'000, 0, 10000.450},
        {"within the hold-back: holds", 500, 0, 0, 10000.450},
        {"caught up", 600, 0, 0, 10000.550},
        {"set forward", 0, 5'000, 0, 10000.550},
        {"recalibrated higher", 10, 0, 0, 10005.560},
        {"counter leaps away from the tick count: ignored", 0, 0, 2'000, 10005.560},
        {"recalibrated to the system time", 10, 0, 0, 10005.570},
    };
    double previous = 0;
    for (const auto& s : steps) {
        source.Advance(s.advanceMs);
        source.systemMs += s.shiftSystemMs;
        source.counter += s.jumpCounterMs;
        const double reading = clock.Now();
        EXPECT_NEAR(reading, s.reading, 1e-9) << s.step;
        EXPECT_GE(reading, previous) << s.step;
        previous = reading;
    }
}

TEST(DispatcherClock, WithoutACounterReadsTheSystemTimeButNeverBackwards) {
    ScriptedClock source;
    source.systemMs = 2'000'000;
    source.haveCounter = false;
    DispatcherClock clock(source);
    EXPECT_DOUBLE_EQ(clock.Now(), 2000.0);
    source.Advance(40);
    EXPECT_DOUBLE_EQ(clock.Now(), 2000.04);
    source.systemMs -= 60'000;
    EXPECT_DOUBLE_EQ(clock.Now(), 2000.04);
    source.Advance(10);
    EXPECT_DOUBLE_EQ(clock.Now(), 2000.05);
}

} // namespace
