// Clocks. On POSIX every clock reads one emulated time base that tests can advance.
#pragma once

#include "Platform/Types.h"

namespace plat {

// Milliseconds since the system started, wrapping at 2^32.
DWORD GetTickCount();

// The high-resolution counter and its ticks per second; false when not available.
bool QueryPerformanceCounter(std::int64_t* count);
bool QueryPerformanceFrequency(std::int64_t* frequency);

// The system time (UTC) in 100-nanosecond units since 1601-01-01.
std::uint64_t GetSystemTimeAsFileTime();

// Raise and restore the system timer resolution (no effect on POSIX).
void TimeBeginPeriod(UINT milliseconds);
void TimeEndPeriod(UINT milliseconds);

struct LocalTime {
    int year;
    int month;  // 1..12
    int day;    // 1..31
    int hour;
    int minute;
    int second;
    int milliseconds;
};

// The current local time of the machine.
LocalTime GetLocalTime();

} // namespace plat
