// Threads as kernel objects.
//
// TerminateThread cannot stop a POSIX thread at an arbitrary instruction without corrupting the
// process (locks held inside the C library, a half-updated heap), and cancelling it inside a
// blocking system call unwinds from a signal handler, which the sanitizers cannot follow. So it
// signals the thread object at once with the given exit code, so that waits and GetExitCodeThread
// see the end as on Windows, and the thread itself ends at its next wait (Sleep, WaitForObject),
// unwinding its stack. TerminateThread waits a short while for that, so that the thread no longer
// runs the caller's code once it returns; a thread that never waits again keeps running unseen.
#include "Platform/Thread.h"

#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Posix/KernelObjects.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <memory>

namespace plat {
namespace {

class ThreadObject final : public posix::KernelObject {
public:
    explicit ThreadObject(DWORD id) : KernelObject(Kind::Thread), id_(id) {}

    DWORD Id() const { return id_; }
    const std::atomic<bool>* TerminationFlag() const { return &terminate_; }

    // Signals with the exit code and has the thread end at its next wait.
    // Returns true when the caller is the thread itself and must end now.
    bool Terminate(DWORD exitCode) {
        Signal(exitCode);
        terminate_ = true;
        if (posix::ThreadTerminationFlag() == &terminate_) {
            return true;
        }
        posix::WakeKernelWaiters();
        posix::KernelLock lock;
        const std::int64_t giveUpAt = posix::SteadyNowNs() + kTerminationWaitNs;
        while (!ended_ && posix::SteadyNowNs() < giveUpAt) {
            lock.WaitUntil(giveUpAt);
        }
        return false;
    }

    // The thread has left its entry function, normally or by termination.
    void MarkEnded() {
        posix::KernelLock lock;
        ended_ = true;
        posix::WakeKernelWaitersLocked();
    }

private:
    static constexpr std::int64_t kTerminationWaitNs = 1000LL * 1000 * 1000;

    const DWORD id_;
    std::atomic<bool> terminate_{false};
    bool ended_ = false; // guarded by the kernel lock
};

struct EndedMarker {
    ThreadObject& object;
    ~EndedMarker() { object.MarkEnded(); }
};

struct ThreadStart {
    std::shared_ptr<ThreadObject> object;
    ThreadProc proc;
    void* argument;
};

void* ThreadEntry(void* raw) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(raw));
    ThreadObject& object = *start->object;
    posix::AssignCurrentThreadId(object.Id());
    posix::SetThreadTerminationFlag(object.TerminationFlag());
    EndedMarker marker{object};
    const unsigned exitCode = start->proc(start->argument);
    object.Signal(exitCode);
    return nullptr;
}

} // namespace

HANDLE StartThread(ThreadProc proc, void* argument, unsigned* threadId) {
    auto object = std::make_shared<ThreadObject>(posix::NewThreadId());
    auto start = std::make_unique<ThreadStart>(ThreadStart{object, proc, argument});
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t native{};
    const int failed = pthread_create(&native, &attributes, ThreadEntry, start.get());
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    start.release();
    if (threadId != nullptr) {
        *threadId = object->Id();
    }
    return posix::RegisterHandle(object);
}

bool GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    std::shared_ptr<posix::KernelObject> object = posix::LookupHandle(thread);
    // A process's primary-thread handle shares the process object.
    if (!object || object->GetKind() == posix::KernelObject::Kind::File) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *exitCode = object->ExitCode();
    return true;
}

bool TerminateThread(HANDLE thread, DWORD exitCode) {
    auto object = posix::LookupHandleAs<ThreadObject>(thread, posix::KernelObject::Kind::Thread);
    if (!object) {
        return false;
    }
    if (object->Terminate(exitCode)) {
        object.reset();
        pthread_exit(nullptr);
    }
    return true;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        posix::EndThreadIfTerminated();
        sched_yield();
        return;
    }
    const std::int64_t wakeAt =
        milliseconds == INFINITE ? posix::kNeverNs : posix::SteadyNowNs() + std::int64_t(milliseconds) * 1000000;
    posix::SleepUntil(wakeAt);
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

} // namespace plat
