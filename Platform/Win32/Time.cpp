#include "Platform/Win32/WinHeaders.h"

#include "Platform/Time.h"

namespace plat {

DWORD GetTickCount() { return ::GetTickCount(); }

bool QueryPerformanceCounter(std::int64_t* count) {
    ::LARGE_INTEGER value{};
    if (!::QueryPerformanceCounter(&value)) {
        return false;
    }
    *count = value.QuadPart;
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* frequency) {
    ::LARGE_INTEGER value{};
    if (!::QueryPerformanceFrequency(&value)) {
        return false;
    }
    *frequency = value.QuadPart;
    return true;
}

std::uint64_t GetSystemTimeAsFileTime() {
    ::FILETIME time{};
    ::GetSystemTimeAsFileTime(&time);
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

void TimeBeginPeriod(UINT milliseconds) { ::timeBeginPeriod(milliseconds); }

void TimeEndPeriod(UINT milliseconds) { ::timeEndPeriod(milliseconds); }

LocalTime GetLocalTime() {
    ::SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

} // namespace plat
