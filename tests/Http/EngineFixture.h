// What the transfer engine's tests share: the main thread's message pump, a listener that records
// every report, and a fixture that runs both engines against loopback servers only.
#pragma once

#include "Http/CurlHttp.h"
#include "Http/DnsThread.h"
#include "Http/HttpMgr.h"
#include "Platform/Thread.h"
#include "Platform/Window.h"
#include "Runtime/MainThreadDispatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

// Runs the thread's messages (dispatcher tasks, timers) until done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        plat::MSG message;
        while (plat::PeekMessage(&message, nullptr, 0, 0, plat::PM_REMOVE)) {
            plat::DispatchMessage(&message);
        }
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        plat::Sleep(1);
    }
}

inline void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

struct Report {
    enum Kind { Done, Recv, Send, HttpCode, Removed, Added } kind;
    long long value;
    const CCurlBase* curl;

    bool operator==(const Report&) const = default;
};

class RecordingListener : public CurlListener {
public:
    void OnCurlDone(CCurlBase* curl, CurlCode result) override { Add(Report::Done, result, curl); }
    void OnCurlRecv(CCurlBase* curl, unsigned bytes) override { Add(Report::Recv, bytes, curl); }
    void OnCurlSend(CCurlBase* curl, unsigned bytes) override { Add(Report::Send, bytes, curl); }
    void OnCurlHttpCode(CCurlBase* curl, int code) override { Add(Report::HttpCode, code, curl); }
    void OnCurlRemoved(CCurlBase* curl, int value) override { Add(Report::Removed, value, curl); }
    void OnCurlAdded(CCurlBase* curl, int value) override { Add(Report::Added, value, curl); }

    std::vector<long long> Values(Report::Kind kind) const {
        std::vector<long long> values;
        for (const Report& report : reports) {
            if (report.kind == kind) {
                values.push_back(report.value);
            }
        }
        return values;
    }

    std::vector<Report> reports;

private:
    void Add(Report::Kind kind, long long value, const CCurlBase* curl) {
        reports.push_back({kind, value, curl});
    }
};

// The dispatcher and both engines, retries released after a short delay, the HTTP pump on a fast
// thread timer, and a resolver table that can only reach this machine.
class EngineTest : public ::testing::Test {
protected:
    static constexpr plat::UINT kPumpMs = 20;

    void SetUp() override {
        ASSERT_TRUE(SetDnsResolvers({"127.0.0.1:9"}));
        InitMainThreadDispatcher();
        InitCommandEngine();
        InitDownloadEngine();
        CommandManager()->retryDelayMs = 20;
        DownloadManager()->retryDelayMs = 20;
        pumpTimer = plat::SetTimer(nullptr, 0, kPumpMs, &HttpPumpTimerProc);
    }

    void TearDown() override {
        plat::KillTimer(nullptr, pumpTimer);
        ShutdownMainThreadDispatcher();
        UninitCommandEngine();
        UninitDownloadEngine();
        SetDnsResolvers({"127.0.0.1:9"});
    }

    plat::UINT_PTR pumpTimer = 0;
};

} // namespace enginetest
