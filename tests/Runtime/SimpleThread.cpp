#include "Runtime/SimpleThread.h"

#include "Platform/Thread.h"
#include "Runtime/Logger.h"
#include "tests/Runtime/Utf16File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

using testsupport::TempFolder;
using Clock = std::chrono::steady_clock;

class Cooperative : public CSimpleThread {
public:
    ~Cooperative() override { Stop(plat::INFINITE); }

    std::atomic<int> runs{0};
    std::atomic<bool> stopFlagAtStart{true};
    std::atomic<plat::DWORD> workerId{0};
    std::atomic<bool> finishByItself{false};

protected:
    void Run() override {
        stopFlagAtStart = StopRequested();
        workerId = plat::GetCurrentThreadId();
        ++runs;
        while (!StopRequested() && !finishByItself) {
            plat::Sleep(1);
        }
    }
};

// Ignores the stop flag, sleeping so that a forced end can take it at once.
class Stubborn : public CSimpleThread {
public:
    std::atomic<plat::DWORD> workerId{0};

protected:
    void Run() override {
        workerId = plat::GetCurrentThreadId();
        for (;;) {
            plat::Sleep(1);
        }
    }
};

template <typename Condition> bool WaitFor(Condition condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        plat::Sleep(1);
    }
    return true;
}

class SimpleThreadTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FileLogger::Instance().Open(logPath.c_str(), 0, true)); }
    void TearDown() override { FileLogger::Instance().Close(); }

    TempFolder folder;
    std::wstring logPath = folder / L"log.txt";
};

TEST_F(SimpleThreadTest, StopOnAnIdleObjectReturnsAtOnceWithoutLogging) {
    Cooperative thread;
    EXPECT_FALSE(thread.IsRunning());
    const auto start = Clock::now();
    EXPECT_TRUE(thread.Stop(500));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_FALSE(thread.DestroyThread(500));
    EXPECT_EQ(ReadUtf16File(logPath), L"");
}

TEST_F(SimpleThreadTest, StartOnARunningObjectStartsNoSecondThread) {
    Cooperative thread;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(WaitFor([&] { return thread.runs == 1; }));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.ThreadId(), thread.workerId);
    EXPECT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Stop(plat::INFINITE));
    EXPECT_EQ(thread.runs, 1);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.ThreadId(), 0u);
}

TEST_F(SimpleThreadTest, RestartsAfterAStopWithTheFlagCleared) {
    Cooperative thread;
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(thread.Start());
        ASSERT_TRUE(WaitFor([&] { return thread.runs == round; }));
        EXPECT_FALSE(thread.stopFlagAtStart) << round;
        EXPECT_TRUE(thread.Stop(500));
        EXPECT_FALSE(thread.IsRunning());
    }
    EXPECT_EQ(ReadUtf16File(logPath), L"");
}

TEST_F(SimpleThreadTest, ARunThatEndsByItselfLeavesTheObjectIdle) {
    Cooperative thread;
    thread.finishByItself = true;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(WaitFor([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(thread.ThreadId(), 0u);
    EXPECT_TRUE(thread.Stop(500));
    thread.finishByItself = false;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(WaitFor([&] { return thread.runs == 2; }));
}

TEST_F(SimpleThreadTest, AStuckThreadIsEndedAfterTheTimeoutWithOneLogLine) {
    // Outlives the test: a forced end may complete after Stop has returned.
    static Stubborn* const thread = new Stubborn;
    ASSERT_TRUE(thread->Start());
    ASSERT_TRUE(WaitFor([&] { return thread->workerId != 0; }));
    const plat::DWORD id = thread->ThreadId();
    const auto start = Clock::now();
    EXPECT_TRUE(thread->Stop(500));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    EXPECT_FALSE(thread->IsRunning());
    EXPECT_EQ(thread->ThreadId(), 0u);

    const std::wstring log = ReadUtf16File(logPath);
    const std::wstring head = L"[ERRO][.\\Runtime\\SimpleThread:";
    const std::wstring tail =
        L"]CSimpleThread::DestroyThread线程结束超时 tid:" + std::to_wstring(id) + L" \r\n";
    ASSERT_GT(log.size(), head.size() + tail.size());
    EXPECT_EQ(log.substr(0, head.size()), head);
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    EXPECT_EQ(log.find(L"\r\n"), log.size() - 2);
}

} // namespace
