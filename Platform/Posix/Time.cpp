// Clocks over the emulated time base.
#include "Platform/Time.h"

#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Posix/MachineState.h"

#include <time.h>

#include <chrono>

namespace plat {
namespace {

constexpr std::int64_t kPerformanceTicksPerSecond = 10000000;
// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kFileTimeOfUnixEpoch = 116444736000000000ull;

std::int64_t WallClockNs() {
    const auto host = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(host).count() + posix::SystemTimeOffsetNs();
}

} // namespace

DWORD GetTickCount() { return static_cast<DWORD>(posix::SteadyNowMs()); }

bool QueryPerformanceCounter(std::int64_t* count) {
    *count = posix::SteadyNowNs() / (1000000000 / kPerformanceTicksPerSecond);
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* frequency) {
    *frequency = kPerformanceTicksPerSecond;
    return true;
}

std::uint64_t GetSystemTimeAsFileTime() {
    return kFileTimeOfUnixEpoch + static_cast<std::uint64_t>(WallClockNs() / 100);
}

void TimeBeginPeriod(UINT) {}
void TimeEndPeriod(UINT) {}

LocalTime GetLocalTime() {
    const std::int64_t ns = WallClockNs();
    const time_t seconds = static_cast<time_t>(ns / 1000000000);
    tm local{};
    localtime_r(&seconds, &local);
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min,         local.tm_sec,     static_cast<int>(ns / 1000000 % 1000)};
}

} // namespace plat
