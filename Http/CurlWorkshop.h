// The transfer thread of one engine: owns a libcurl multi handle, moves handed-over transfers into
// and out of it, drives libcurl and reports each finished transfer to its listener.
#pragma once

#include "Http/CurlHttp.h"
#include "Platform/Types.h"
#include "Runtime/SimpleThread.h"

#include "Http/CurlTypes.h"

#include <list>
#include <mutex>

class CCurlWorkshop : public CSimpleThread {
public:
    // The wait for socket activity: short, so that new transfers and removals are seen quickly.
    static constexpr int kWaitMs = 5;
    static constexpr unsigned kWaitForever = plat::INFINITE;

    // libcurl's process-wide set-up: once, on the main thread, before any transfer thread runs.
    static void GlobalInit();

    CCurlWorkshop() = default;
    ~CCurlWorkshop() override;

    // Main thread.
    void Init();
    bool AddCurl(const CRefPtr<CCurlBase>& curl);
    bool RemoveCurl(const CRefPtr<CCurlBase>& curl);
    // After the thread has been stopped: every running handle is removed and cleaned up.
    void Uninit();

    // Sizes of the three lists, for tests (under the lock).
    struct Counts {
        std::size_t pendingAdd;
        std::size_t running;
        std::size_t pendingRemove;
    };
    Counts ListCounts();

protected:
    void Run() override;
    // One pass of the loop, in parts (tests drive them without the thread).
    bool Perform();
    void ProcessPending();
    int ReadMessages();

private:
    using List = std::list<CRefPtr<CCurlBase>>;

    void AddPending(const CRefPtr<CCurlBase>& curl);
    bool DetachCurl(const CRefPtr<CCurlBase>& curl);
    static List::iterator FindEasy(List& list, CURL* easy);

    CURLM* multi = nullptr;
    List pendingAdd;
    List running;
    List pendingRemove;
    std::recursive_mutex lock;
};
