#include "Runtime/SimpleThread.h"

#include "Platform/Thread.h"
#include "Runtime/Logger.h"

CSimpleThread::~CSimpleThread() {
    ReleaseHandle();
}

bool CSimpleThread::Start() {
    if (IsRunning()) {
        return true;
    }
    stopRequested.store(false, std::memory_order_release);
    ended.store(false, std::memory_order_release);
    ReleaseHandle();
    unsigned id = 0;
    threadHandle = plat::StartThread(&CSimpleThread::ThreadEntry, this, &id);
    if (threadHandle != nullptr) {
        threadId.store(id, std::memory_order_release);
    }
    return threadHandle != nullptr;
}

bool CSimpleThread::Stop(unsigned timeoutMs) {
    if (!IsRunning()) {
        return true;
    }
    stopRequested.store(true, std::memory_order_release);
    return DestroyThread(timeoutMs);
}

bool CSimpleThread::IsRunning() {
    if (threadHandle == nullptr) {
        return false;
    }
    plat::DWORD exitCode = 0;
    const bool alive = !ended.load(std::memory_order_acquire) &&
                       plat::GetExitCodeThread(threadHandle, &exitCode) && exitCode == plat::STILL_ACTIVE;
    if (!alive) {
        ReleaseHandle();
    }
    return alive;
}

bool CSimpleThread::DestroyThread(unsigned timeoutMs) {
    if (threadHandle == nullptr) {
        return false;
    }
    const plat::DWORD id = ThreadId();
    if (plat::GetCurrentThreadId() != id &&
        plat::WaitForObject(threadHandle, timeoutMs) == plat::WAIT_TIMEOUT) {
        ConsoleLogger::Instance().LogWithSource(2, __LINE__, L".\\Runtime\\SimpleThread",
                                                L"CSimpleThread::DestroyThread线程结束超时 tid:%d ", id);
        FileLogger::Instance().LogWithSource(2, __LINE__, L".\\Runtime\\SimpleThread",
                                             L"CSimpleThread::DestroyThread线程结束超时 tid:%d ", id);
        plat::TerminateThread(threadHandle, 0);
    }
    ReleaseHandle();
    return true;
}

void CSimpleThread::ReleaseHandle() {
    if (threadHandle != nullptr) {
        plat::CloseHandle(threadHandle);
        threadHandle = nullptr;
    }
    threadId.store(0, std::memory_order_release);
}

unsigned CSimpleThread::ThreadEntry(void* argument) {
    if (argument != nullptr) {
        auto* self = static_cast<CSimpleThread*>(argument);
        self->Run();
        self->ended.store(true, std::memory_order_release);
    }
    return 0;
}
