#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Thread.h"

#include <new>

namespace plat {

static_assert(STILL_ACTIVE == sys::STILL_ACTIVE_);
static_assert(WAIT_OBJECT_0 == sys::WAIT_OBJECT_0_);
static_assert(WAIT_TIMEOUT == sys::WAIT_TIMEOUT_);
static_assert(WAIT_FAILED == sys::WAIT_FAILED_);

using win32::Native;
using win32::Neutral;

namespace {

// The runtime's thread start wants the system calling convention; the neutral proc has the
// default one, so the pair travels to the new thread and is unpacked there.
struct ThreadStart {
    ThreadProc proc;
    void* argument;
};

unsigned __stdcall RunThreadStart(void* start) {
    const ThreadStart unpacked = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    return unpacked.proc(unpacked.argument);
}

} // namespace

HANDLE StartThread(ThreadProc proc, void* argument, unsigned* threadId) {
    auto* start = new (std::nothrow) ThreadStart{proc, argument};
    if (!start) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, RunThreadStart, start, 0, threadId);
    if (thread == 0) {
        delete start;
        return nullptr;
    }
    return Neutral(reinterpret_cast<::HANDLE>(thread));
}

DWORD WaitForObject(HANDLE object, DWORD timeoutMs) { return ::WaitForSingleObject(Native(object), timeoutMs); }

bool GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    ::DWORD code = 0;
    if (!::GetExitCodeThread(Native(thread), &code)) {
        return false;
    }
    *exitCode = code;
    return true;
}

bool TerminateThread(HANDLE thread, DWORD exitCode) { return ::TerminateThread(Native(thread), exitCode) != FALSE; }

bool CloseHandle(HANDLE object) { return ::CloseHandle(Native(object)) != FALSE; }

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

DWORD GetCurrentThreadId() { return ::GetCurrentThreadId(); }

DWORD GetCurrentProcessId() { return ::GetCurrentProcessId(); }

} // namespace plat
