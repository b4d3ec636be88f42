// Internal to the POSIX backend: kernel objects (threads, processes, files) behind HANDLEs.
// A HANDLE is a key into one process-wide table of shared object references; CloseHandle drops
// the table's reference, so a closed handle stays detectably invalid instead of dangling.
#pragma once

#include "Platform/Thread.h"
#include "Platform/Types.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>

namespace plat::posix {

constexpr std::int64_t kNeverNs = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kAlwaysNs = std::numeric_limits<std::int64_t>::min();

class KernelObject {
public:
    enum class Kind { Thread, Process, File };

    explicit KernelObject(Kind kind, std::int64_t signalAtNs = kNeverNs);
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    Kind GetKind() const { return kind_; }

    // STILL_ACTIVE until signalled, then the exit code.
    DWORD ExitCode() const;
    bool IsSignalled() const;
    // Signals now with the exit code; false (and no change) when it was signalled already.
    bool Signal(DWORD exitCode);
    // Schedules the signal for an emulated time (a simulated process that "runs" for a while).
    void SignalAt(std::int64_t emulatedNs, DWORD exitCode);

    // Waits up to timeoutMs of emulated time. WAIT_OBJECT_0 or WAIT_TIMEOUT.
    DWORD Wait(DWORD timeoutMs) const;

private:
    const Kind kind_;
    std::int64_t signalAtNs_; // guarded by the kernel lock
    DWORD exitCode_ = STILL_ACTIVE;
};

// The one lock and condition behind every signalled state and every emulated-time wait.
class KernelLock {
public:
    KernelLock();
    ~KernelLock();
    KernelLock(const KernelLock&) = delete;
    KernelLock& operator=(const KernelLock&) = delete;

    // Blocks until woken or until the emulated time wakeAtNs; a termination point.
    void WaitUntil(std::int64_t wakeAtNs);
};

// The calling thread's "terminate" flag (set by TerminateThread from outside); null for threads
// the platform did not start. Every wait checks it and ends the thread once it is set.
void SetThreadTerminationFlag(const std::atomic<bool>* flag);
const std::atomic<bool>* ThreadTerminationFlag();
// Ends the calling thread, unwinding its stack, when its termination was requested.
void EndThreadIfTerminated();

// Wakes every wait so it re-reads the emulated clock (after the clock moved or an object signalled).
void WakeKernelWaiters();
void WakeKernelWaitersLocked(); // the same, with the kernel lock held

// Waits until the emulated clock reaches wakeAtNs; a termination point.
void SleepUntil(std::int64_t wakeAtNs);

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null with ERROR_INVALID_HANDLE.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
// Null with ERROR_INVALID_HANDLE unless the handle is open and of the kind.
template <typename T> std::shared_ptr<T> LookupHandleAs(HANDLE handle, KernelObject::Kind kind) {
    std::shared_ptr<KernelObject> object = LookupHandle(handle);
    if (object && object->GetKind() != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<T>(object);
}

// A new small thread id, unique for the life of the process.
DWORD NewThreadId();
// Gives the calling thread the id its creator reported.
void AssignCurrentThreadId(DWORD id);

} // namespace plat::posix
