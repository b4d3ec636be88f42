// Threads and waits: exit codes, time-outs, termination from outside, ids.
#include "Platform/Thread.h"
#include "Platform/Time.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace plat;

struct Gate {
    std::atomic<bool> open{false};
    std::atomic<DWORD> threadId{0};
};

unsigned ReturnsFortyTwo(void*) { return 42; }

unsigned WaitsForGate(void* argument) {
    auto* gate = static_cast<Gate*>(argument);
    gate->threadId = GetCurrentThreadId();
    while (!gate->open) {
        Sleep(1);
    }
    return 7;
}

unsigned LoopsForever(void*) {
    for (;;) {
        Sleep(1);
    }
}

TEST(Threads, AnEndedThreadSignalsWithItsExitCode) {
    unsigned id = 0;
    HANDLE thread = StartThread(ReturnsFortyTwo, nullptr, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForObject(thread, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Threads, ARunningThreadTimesOutAndIsStillActive) {
    Gate gate;
    unsigned id = 0;
    HANDLE thread = StartThread(WaitsForGate, &gate, &id);
    ASSERT_NE(thread, nullptr);
    const DWORD before = GetTickCount();
    EXPECT_EQ(WaitForObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount() - before, 40u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForObject(thread, 0), WAIT_TIMEOUT);

    gate.open = true;
    EXPECT_EQ(WaitForObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(gate.threadId.load(), id);
    EXPECT_NE(GetCurrentThreadId(), id);
    CloseHandle(thread);
}

TEST(Threads, TerminateEndsAThreadWithTheGivenCode) {
    HANDLE thread = StartThread(LoopsForever, nullptr, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForObject(thread, 20), WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateThread(thread, 99));
    EXPECT_EQ(WaitForObject(thread, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 99u);
    CloseHandle(thread);
}

TEST(Threads, ThreadIdsAreStableAndTheProcessHasOne) {
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
    EXPECT_NE(GetCurrentThreadId(), 0u);
    EXPECT_NE(GetCurrentProcessId(), 0u);
}

TEST(Threads, SleepWaitsAtLeastAboutTheTime) {
    std::int64_t frequency = 0;
    std::int64_t start = 0;
    std::int64_t end = 0;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    QueryPerformanceCounter(&start);
    Sleep(30);
    QueryPerformanceCounter(&end);
    EXPECT_GE((end - start) * 1000 / frequency, 25);
}

} // namespace
