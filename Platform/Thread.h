// Threads and waits on kernel objects (threads, processes).
#pragma once

#include "Platform/Types.h"

namespace plat {

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

using ThreadProc = unsigned (*)(void* argument);

// Starts a thread running proc(argument) (the runtime library's thread start: default security
// and stack, not suspended). Returns the thread's handle and stores its id, or null on failure.
HANDLE StartThread(ThreadProc proc, void* argument, unsigned* threadId);

// Waits until the object is signalled (a thread or process has ended) or the time-out passes.
DWORD WaitForObject(HANDLE object, DWORD timeoutMs);

// STILL_ACTIVE while the thread runs, else its exit code. False for an invalid handle.
bool GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Ends a thread from outside with the given exit code.
bool TerminateThread(HANDLE thread, DWORD exitCode);

// Releases a handle of any kernel object (thread, process, file).
bool CloseHandle(HANDLE object);

void Sleep(DWORD milliseconds);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

} // namespace plat
