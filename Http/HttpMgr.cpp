#include "Http/HttpMgr.h"

#include "Http/CurlWorkshop.h"
#include "Http/HttpBase.h"
#include "Http/HttpLog.h"
#include "Platform/Time.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kModule = L".\\Http\\HttpMgr";

struct Engines {
    std::uint32_t taskSequence = 0;
    CCurlWorkshop* commandWorkshop = nullptr;
    CHttpMgr* commandManager = nullptr;
    CCurlWorkshop* downloadWorkshop = nullptr;
    CHttpMgr* downloadManager = nullptr;
    std::uint32_t pumpTicks = 0;
};

Engines& State() {
    static Engines engines;
    return engines;
}

void InitEngine(CCurlWorkshop*& workshop, CHttpMgr*& manager) {
    CCurlWorkshop::GlobalInit();
    if (workshop == nullptr) {
        workshop = new CCurlWorkshop;
        workshop->Init();
        workshop->Start();
    }
    if (manager == nullptr) {
        manager = new CHttpMgr;
    }
}

void UninitEngine(CCurlWorkshop*& workshop, CHttpMgr*& manager) {
    if (workshop != nullptr) {
        workshop->Stop(CCurlWorkshop::kWaitForever);
        workshop->Uninit();
        delete workshop;
        workshop = nullptr;
    }
    if (manager != nullptr) {
        manager->Clear();
        delete manager;
        manager = nullptr;
    }
}

} // namespace

bool InitCommandEngine() {
    InitEngine(State().commandWorkshop, State().commandManager);
    return true;
}

bool InitDownloadEngine() {
    InitEngine(State().downloadWorkshop, State().downloadManager);
    return true;
}

bool UninitCommandEngine() {
    UninitEngine(State().commandWorkshop, State().commandManager);
    return true;
}

bool UninitDownloadEngine() {
    UninitEngine(State().downloadWorkshop, State().downloadManager);
    return true;
}

CCurlWorkshop* CommandWorkshop() {
    return State().commandWorkshop;
}
CHttpMgr* CommandManager() {
    return State().commandManager;
}
CCurlWorkshop* DownloadWorkshop() {
    return State().downloadWorkshop;
}
CHttpMgr* DownloadManager() {
    return State().downloadManager;
}

void HttpPumpTimerProc(plat::HWND, plat::UINT, plat::UINT_PTR, plat::DWORD) {
    Engines& engines = State();
    if (engines.pumpTicks % 2 == 0 && engines.downloadManager != nullptr) {
        engines.downloadManager->ProgressPass();
    }
    if (engines.downloadManager != nullptr) {
        engines.downloadManager->RetryPass();
    }
    if (engines.commandManager != nullptr) {
        engines.commandManager->RetryPass();
    }
    ++engines.pumpTicks;
}

std::uint32_t HttpPumpTicks() {
    return State().pumpTicks;
}

CHttpBase* CHttpMgr::FindTask(CCurlBase* curl) const {
    const auto found = std::find_if(tasks.begin(), tasks.end(),
                                    [curl](const CHttpBase* task) { return task->transfer.get() == curl; });
    return found != tasks.end() ? *found : nullptr;
}

bool CHttpMgr::Contains(const CHttpBase* task) const {
    return std::find(tasks.begin(), tasks.end(), task) != tasks.end();
}

void CHttpMgr::OnCurlDone(CCurlBase* curl, CurlCode result) {
    if (CHttpBase* task = FindTask(curl)) {
        task->Done(result);
    }
}

void CHttpMgr::OnCurlRecv(CCurlBase* curl, unsigned bytes) {
    if (CHttpBase* task = FindTask(curl)) {
        task->OnRecvBytes(bytes);
    }
}

void CHttpMgr::OnCurlSend(CCurlBase*, unsigned) {}

void CHttpMgr::OnCurlHttpCode(CCurlBase* curl, int code) {
    if (CHttpBase* task = FindTask(curl)) {
        task->OnHttpCode(code);
    }
}

void CHttpMgr::OnCurlRemoved(CCurlBase* curl, int) {
    FindTask(curl);
}

void CHttpMgr::OnCurlAdded(CCurlBase* curl, int) {
    FindTask(curl);
}

std::uint64_t CHttpMgr::AddTask(CHttpBase* task) {
    if (Contains(task)) {
        httplog::ConsoleAndFile(httplog::kInfo, kModule, __LINE__, L"http请求重复添加 url:%s",
                                task->GetUrl());
        // Resubmitted from the result its own Start reported: it stays, and starts as a retry.
        if (task->leaveManager) {
            task->leaveManager = false;
            task->retryPending = true;
            task->retryTick = plat::GetTickCount();
        }
        return (std::uint64_t(task->addTick) << 32) | task->taskId;
    }
    task->addTick = plat::GetTickCount();
    task->taskId = ++State().taskSequence;
    tasks.push_back(task);
    if (!task->retryPending) {
        Schedule();
    }
    return (std::uint64_t(task->addTick) << 32) | task->taskId;
}

bool CHttpMgr::RemoveTask(CHttpBase* task) {
    const bool wasScheduled = task->scheduled;
    tasks.erase(std::remove(tasks.begin(), tasks.end(), task), tasks.end());
    task->scheduled = false;
    if (wasScheduled) {
        --runningCount;
        Schedule();
    }
    return true;
}

void CHttpMgr::Clear() {
    for (CHttpBase* task : tasks) {
        task->manager = nullptr;
        task->workshop = nullptr;
    }
    tasks.clear();
    runningCount = 0;
}

void CHttpMgr::RecountIfWrong() {
    const auto total = static_cast<std::int32_t>(tasks.size());
    if (runningCount <= maxRunning && runningCount <= total) {
        return;
    }
    httplog::ConsoleAndFile(
        httplog::kInfo, kModule, __LINE__,
        L"CHttpMgr::Schedule() 正在运行的任务数计算出错，重新计算中 running:%d max:%d total:%d", runningCount,
        maxRunning, total);
    runningCount = static_cast<std::int32_t>(
        std::count_if(tasks.begin(), tasks.end(), [](const CHttpBase* task) { return task->scheduled; }));
}

void CHttpMgr::Schedule() {
    RecountIfWrong();
    const auto total = static_cast<std::int32_t>(tasks.size());
    httplog::ConsoleAndFile(httplog::kInfo, kModule, __LINE__,
                            L"CHttpMgr::Schedule() 调度任务 running:%d max:%d total:%d", runningCount,
                            maxRunning, total);
    if (runningCount >= maxRunning) {
        httplog::ConsoleAndFile(httplog::kInfo, kModule, __LINE__,
                                L"CHttpMgr::Schedule() 任务数超标 running:%d max:%d total:%d", runningCount,
                                maxRunning, total);
        return;
    }
    StartQueued();
}

// The walk follows a copy of the list: a result reported from inside Start may stop or delete
// tasks, and a task that has left the list meanwhile is skipped without being touched.
void CHttpMgr::StartQueued() {
    const std::vector<CHttpBase*> order = tasks;
    for (CHttpBase* task : order) {
        if (!Contains(task)) {
            continue;
        }
        if (!task->scheduled && !task->started && !task->retryPending) {
            if (task->Start()) {
                task->scheduled = true;
                ++runningCount;
            } else if (Contains(task) && task->leaveManager) {
                task->leaveManager = false;
                RemoveTask(task);
                task->manager = nullptr;
            }
        }
        if (runningCount >= maxRunning) {
            break;
        }
    }
}

void CHttpMgr::ProgressPass() {
    const std::vector<CHttpBase*> order = tasks;
    for (CHttpBase* task : order) {
        if (Contains(task) && task->started) {
            task->OnTimer();
        }
    }
}

void CHttpMgr::RetryPass() {
    const plat::DWORD now = plat::GetTickCount();
    bool released = false;
    for (CHttpBase* task : tasks) {
        if (task->retryPending && now - task->retryTick > retryDelayMs) {
            task->retryPending = false;
            released = true;
        }
    }
    if (released) {
        Schedule();
    }
}
