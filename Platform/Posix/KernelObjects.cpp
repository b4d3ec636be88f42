// Kernel objects, the handle table and emulated-time waits.
#include "Platform/Posix/KernelObjects.h"

#include "Platform/Posix/EmulatedClock.h"

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

namespace plat::posix {
namespace {

pthread_mutex_t g_kernelMutex = PTHREAD_MUTEX_INITIALIZER;

pthread_cond_t* KernelCondition() {
    static pthread_cond_t* condition = [] {
        static pthread_cond_t storage;
        pthread_condattr_t attributes;
        pthread_condattr_init(&attributes);
        pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
        pthread_cond_init(&storage, &attributes);
        pthread_condattr_destroy(&attributes);
        return &storage;
    }();
    return condition;
}

// Host waits are cut into slices so that a far deadline never overflows the host clock.
constexpr std::int64_t kMaxHostWaitNs = 3600LL * 1000 * 1000 * 1000;

timespec HostDeadlineAfter(std::int64_t delayNs) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t total = now.tv_nsec + std::min(delayNs, kMaxHostWaitNs);
    timespec deadline{};
    deadline.tv_sec = now.tv_sec + static_cast<time_t>(total / 1000000000);
    deadline.tv_nsec = static_cast<long>(total % 1000000000);
    return deadline;
}

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Values are never reused, so a stale handle cannot reach a newer object.
    std::uintptr_t next = 0x100;
};

HandleTable& Handles() {
    static HandleTable* table = new HandleTable;
    return *table;
}

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;
thread_local const std::atomic<bool>* t_terminationFlag = nullptr;

} // namespace

KernelLock::KernelLock() { pthread_mutex_lock(&g_kernelMutex); }
KernelLock::~KernelLock() { pthread_mutex_unlock(&g_kernelMutex); }

void KernelLock::WaitUntil(std::int64_t wakeAtNs) {
    EndThreadIfTerminated();
    const std::int64_t delay = wakeAtNs == kNeverNs ? kMaxHostWaitNs : wakeAtNs - SteadyNowNs();
    if (delay <= 0) {
        return;
    }
    const timespec deadline = HostDeadlineAfter(delay);
    pthread_cond_timedwait(KernelCondition(), &g_kernelMutex, &deadline);
    EndThreadIfTerminated();
}

void SetThreadTerminationFlag(const std::atomic<bool>* flag) { t_terminationFlag = flag; }

const std::atomic<bool>* ThreadTerminationFlag() { return t_terminationFlag; }

void EndThreadIfTerminated() {
    if (t_terminationFlag != nullptr && t_terminationFlag->load()) {
        // The forced unwind releases every lock held through a scope guard, the kernel lock too.
        pthread_exit(nullptr);
    }
}

void WakeKernelWaiters() {
    KernelLock lock;
    WakeKernelWaitersLocked();
}

void WakeKernelWaitersLocked() { pthread_cond_broadcast(KernelCondition()); }

void SleepUntil(std::int64_t wakeAtNs) {
    KernelLock lock;
    while (SteadyNowNs() < wakeAtNs) {
        lock.WaitUntil(wakeAtNs);
    }
}

KernelObject::KernelObject(Kind kind, std::int64_t signalAtNs) : kind_(kind), signalAtNs_(signalAtNs) {}

DWORD KernelObject::ExitCode() const {
    KernelLock lock;
    return SteadyNowNs() >= signalAtNs_ ? exitCode_ : STILL_ACTIVE;
}

bool KernelObject::IsSignalled() const {
    KernelLock lock;
    return SteadyNowNs() >= signalAtNs_;
}

bool KernelObject::Signal(DWORD exitCode) {
    KernelLock lock;
    if (SteadyNowNs() >= signalAtNs_) {
        return false;
    }
    exitCode_ = exitCode;
    signalAtNs_ = kAlwaysNs;
    pthread_cond_broadcast(KernelCondition());
    return true;
}

void KernelObject::SignalAt(std::int64_t emulatedNs, DWORD exitCode) {
    KernelLock lock;
    exitCode_ = exitCode;
    signalAtNs_ = emulatedNs;
    pthread_cond_broadcast(KernelCondition());
}

DWORD KernelObject::Wait(DWORD timeoutMs) const {
    EndThreadIfTerminated();
    KernelLock lock;
    const std::int64_t deadline =
        timeoutMs == INFINITE ? kNeverNs : SteadyNowNs() + std::int64_t(timeoutMs) * 1000000;
    for (;;) {
        const std::int64_t now = SteadyNowNs();
        if (now >= signalAtNs_) {
            return WAIT_OBJECT_0;
        }
        if (now >= deadline) {
            return WAIT_TIMEOUT;
        }
        lock.WaitUntil(std::min(deadline, signalAtNs_));
    }
}

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> lock(table.mutex);
    const std::uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

DWORD NewThreadId() { return g_nextThreadId.fetch_add(1); }

void AssignCurrentThreadId(DWORD id) { t_threadId = id; }

} // namespace plat::posix

namespace plat {

bool CloseHandle(HANDLE object) {
    std::shared_ptr<posix::KernelObject> released;
    {
        posix::HandleTable& table = posix::Handles();
        std::lock_guard<std::mutex> lock(table.mutex);
        auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(object));
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        released = std::move(found->second);
        table.objects.erase(found);
    }
    // The object (a file's descriptor, say) goes here, outside the table's lock.
    released.reset();
    return true;
}

DWORD WaitForObject(HANDLE object, DWORD timeoutMs) {
    std::shared_ptr<posix::KernelObject> target = posix::LookupHandle(object);
    return target ? target->Wait(timeoutMs) : WAIT_FAILED;
}

DWORD GetCurrentThreadId() {
    if (posix::t_threadId == 0) {
        posix::t_threadId = posix::NewThreadId();
    }
    return posix::t_threadId;
}

} // namespace plat
