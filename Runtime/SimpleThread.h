// Base of the long-lived worker threads: starts one thread on demand, runs the subclass's loop
// on it, asks it to stop through a flag and waits for it with a time limit.
#pragma once

#include "Platform/Types.h"

#include <atomic>

class CSimpleThread {
public:
    CSimpleThread() = default;
    CSimpleThread(const CSimpleThread&) = delete;
    CSimpleThread& operator=(const CSimpleThread&) = delete;
    // Subclasses stop the thread before they are destroyed; this only releases the handle.
    virtual ~CSimpleThread();

    // Sets the stop flag and waits (DestroyThread); true when no thread was running.
    virtual bool Stop(unsigned timeoutMs);
    // True when the thread runs (already, or newly started).
    virtual bool Start();

    bool IsRunning();
    // Waits up to timeoutMs (not when called by the worker itself), then kills a thread that
    // is still running, logging it. False only when there was no thread.
    bool DestroyThread(unsigned timeoutMs);

    plat::DWORD ThreadId() const { return threadId.load(std::memory_order_acquire); }

protected:
    // The work loop: runs until StopRequested(), then returns to end the thread.
    virtual void Run() = 0;
    bool StopRequested() const { return stopRequested.load(std::memory_order_acquire); }

private:
    static unsigned ThreadEntry(void* argument);
    void ReleaseHandle();

    // Owned by the controlling thread, which alone closes it: a handle closed by the worker
    // could be recycled while the controller still waits on it.
    plat::HANDLE threadHandle = nullptr;
    std::atomic<plat::DWORD> threadId{0};
    std::atomic<bool> stopRequested{false};
    // Set by the worker as its last act on this object.
    std::atomic<bool> ended{false};
};
