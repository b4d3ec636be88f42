// Threads as kernel objects.
//
// TerminateThread cannot stop a POSIX thread at an arbitrary instruction without corrupting the
// process (locks held inside the C library, half-written heap). It therefore signals the thread
// object at once with the given exit code, so waits and GetExitCodeThread see the end as on
// Windows, and asks for a deferred cancellation: the thread really ends at its next cancellation
// point (Sleep, a wait, blocking socket or file I/O), unwinding its stack. A thread that never
// reaches one keeps running unseen; one that is cancelled inside a noexcept frame ends the process.
#include "Platform/Thread.h"

#include "Platform/Posix/EmulatedClock.h"
#include "Platform/Posix/KernelObjects.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <memory>

namespace plat {
namespace {

class ThreadObject final : public posix::KernelObject {
public:
    explicit ThreadObject(DWORD id) : KernelObject(Kind::Thread), id_(id) {}

    DWORD Id() const { return id_; }

    void SetNative(pthread_t native) {
        posix::KernelLock lock;
        native_ = native;
    }

    // The thread has left its entry function (normally or by cancellation).
    void MarkEnded() {
        posix::KernelLock lock;
        ended_ = true;
    }

    // Signals with the exit code and cancels the thread if it is still alive.
    // Returns true when the caller is the thread itself and must end now.
    bool Terminate(DWORD exitCode) {
        Signal(exitCode);
        posix::KernelLock lock;
        if (ended_) {
            return false;
        }
        if (pthread_equal(native_, pthread_self())) {
            return true;
        }
        pthread_cancel(native_);
        return false;
    }

private:
    const DWORD id_;
    pthread_t native_{}; // guarded by the kernel lock
    bool ended_ = false; // guarded by the kernel lock; after it, native_ may name another thread
};

struct ThreadStart {
    std::shared_ptr<ThreadObject> object;
    ThreadProc proc;
    void* argument;
};

struct EndedMarker {
    ThreadObject& object;
    ~EndedMarker() { object.MarkEnded(); }
};

void* ThreadEntry(void* raw) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(raw));
    ThreadObject& object = *start->object;
    object.SetNative(pthread_self());
    posix::AssignCurrentThreadId(object.Id());
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
    object->SetNative(native);
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
        pthread_testcancel();
        sched_yield();
        return;
    }
    const std::int64_t wakeAt =
        milliseconds == INFINITE ? posix::kNeverNs : posix::SteadyNowNs() + std::int64_t(milliseconds) * 1000000;
    posix::SleepUntil(wakeAt);
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

} // namespace plat
