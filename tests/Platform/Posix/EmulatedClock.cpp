// The one emulated time base: advancing it moves every clock and wakes every wait.
#include "Platform/Thread.h"
#include "Platform/Time.h"
#include "tests/Platform/Posix/MachineTest.h"

#include <chrono>

namespace {

using namespace plat;

constexpr std::uint64_t kFileTimePerMs = 10000;
// How much host time a test step may take.
constexpr std::int64_t kSlackMs = 2000;

unsigned SleepsTenMinutes(void*) {
    Sleep(600000);
    return 1;
}

unsigned SleepsForever(void*) {
    Sleep(INFINITE);
    return 0;
}

using EmulatedClock = MachineTest;

TEST_F(EmulatedClock, AdvancingMovesEveryClock) {
    std::int64_t frequency = 0;
    std::int64_t countBefore = 0;
    std::int64_t countAfter = 0;
    QueryPerformanceFrequency(&frequency);
    const DWORD tickBefore = GetTickCount();
    QueryPerformanceCounter(&countBefore);
    const std::uint64_t systemBefore = GetSystemTimeAsFileTime();

    test::AdvanceClock(5000);

    const DWORD ticks = GetTickCount() - tickBefore;
    QueryPerformanceCounter(&countAfter);
    const std::int64_t counted = (countAfter - countBefore) * 1000 / frequency;
    const auto system = static_cast<std::int64_t>((GetSystemTimeAsFileTime() - systemBefore) / kFileTimePerMs);
    for (std::int64_t moved : {std::int64_t(ticks), counted, system}) {
        EXPECT_GE(moved, 5000);
        EXPECT_LT(moved, 5000 + kSlackMs);
    }
}

TEST_F(EmulatedClock, ShiftingTheSystemTimeLeavesTheSteadyClocks) {
    const DWORD tickBefore = GetTickCount();
    const std::uint64_t systemBefore = GetSystemTimeAsFileTime();
    test::ShiftSystemTime(-3600000);
    const auto shifted = static_cast<std::int64_t>(GetSystemTimeAsFileTime() - systemBefore) /
                         static_cast<std::int64_t>(kFileTimePerMs);
    EXPECT_LE(shifted, -3600000 + kSlackMs);
    EXPECT_GE(shifted, -3600000);
    EXPECT_LT(GetTickCount() - tickBefore, DWORD(kSlackMs));
    test::ResetMachine();
    EXPECT_LT(GetSystemTimeAsFileTime() - systemBefore, std::uint64_t(kSlackMs) * kFileTimePerMs);
}

TEST_F(EmulatedClock, AdvancingWakesSleepsAndEndsTimeOuts) {
    HANDLE sleeper = StartThread(SleepsTenMinutes, nullptr, nullptr);
    HANDLE forever = StartThread(SleepsForever, nullptr, nullptr);
    const auto hostStart = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForObject(sleeper, 20), WAIT_TIMEOUT);
    test::AdvanceClock(600000);
    EXPECT_EQ(WaitForObject(sleeper, 5000), WAIT_OBJECT_0);

    DWORD result = WAIT_FAILED;
    HANDLE waiter = StartThread(
        [](void* target) -> unsigned { return WaitForObject(static_cast<HANDLE>(target), 60000); }, forever, nullptr);
    EXPECT_EQ(WaitForObject(waiter, 20), WAIT_TIMEOUT);
    test::AdvanceClock(60000);
    EXPECT_EQ(WaitForObject(waiter, 5000), WAIT_OBJECT_0);
    GetExitCodeThread(waiter, &result);
    EXPECT_EQ(result, WAIT_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - hostStart, std::chrono::milliseconds(kSlackMs));

    TerminateThread(forever, 0);
    for (HANDLE handle : {sleeper, forever, waiter}) {
        CloseHandle(handle);
    }
}

TEST_F(EmulatedClock, LocalTimeFieldsAreInRange) {
    const LocalTime now = GetLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.milliseconds >= 0 && now.milliseconds < 1000);
}

} // namespace
