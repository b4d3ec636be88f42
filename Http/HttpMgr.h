// The task manager of one transfer engine: starts submitted tasks in order while fewer than its
// maximum run, delays retries, and routes every transfer report to the task that owns the
// transfer. Also the life of the two engines and the 500 ms HTTP pump. Main thread only.
#pragma once

#include "Http/CurlHttp.h"
#include "Platform/Types.h"

#include <cstdint>
#include <vector>

class CHttpBase;
class CCurlWorkshop;

class CHttpMgr : public CurlListener {
public:
    static constexpr std::int32_t kMaxRunning = 10;
    static constexpr plat::DWORD kRetryDelayMs = 500;

    CHttpMgr() = default;

    void OnCurlDone(CCurlBase* curl, CurlCode result) override;
    void OnCurlRecv(CCurlBase* curl, unsigned bytes) override;
    void OnCurlSend(CCurlBase* curl, unsigned bytes) override;
    void OnCurlHttpCode(CCurlBase* curl, int code) override;
    void OnCurlRemoved(CCurlBase* curl, int value) override;
    void OnCurlAdded(CCurlBase* curl, int value) override;

    // taskId in the low, addTick in the high 32 bits.
    virtual std::uint64_t AddTask(CHttpBase* task);
    virtual bool RemoveTask(CHttpBase* task);
    ~CHttpMgr() override = default;

    void Schedule();
    // The engine is going: the tasks forget it and the list is emptied.
    void Clear();
    CHttpBase* FindTask(CCurlBase* curl) const;
    bool Contains(const CHttpBase* task) const;

    // The pump's passes.
    void ProgressPass();
    void RetryPass();

    std::vector<CHttpBase*> tasks;
    std::int32_t maxRunning = kMaxRunning;
    std::int32_t runningCount = 0;
    // How long a retry waits at least (tests shorten it).
    plat::DWORD retryDelayMs = kRetryDelayMs;

private:
    void RecountIfWrong();
    void StartQueued();
};

// The engines, each a workshop with its manager; created once and destroyed once per process.
bool InitCommandEngine();
bool InitDownloadEngine();
bool UninitCommandEngine();
bool UninitDownloadEngine();

CCurlWorkshop* CommandWorkshop();
CHttpMgr* CommandManager();
CCurlWorkshop* DownloadWorkshop();
CHttpMgr* DownloadManager();

// The 500 ms thread timer: progress every second tick, then the retry passes.
void HttpPumpTimerProc(plat::HWND window, plat::UINT message, plat::UINT_PTR timerId, plat::DWORD tickCount);
std::uint32_t HttpPumpTicks();
