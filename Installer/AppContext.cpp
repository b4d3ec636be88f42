#include "Installer/AppContext.h"

#include "Http/HttpMgr.h"
#include "Platform/Window.h"
#include "Runtime/MainThreadDispatch.h"

namespace {

struct StartFlags {
    bool dispatcherStarted = false;
    bool transferEngineStarted = false;
    plat::UINT_PTR transferPumpTimerId = 0;
};

StartFlags& Flags() {
    static StartFlags flags;
    return flags;
}

// Keeps the thread's message loop turning at least once a second.
void IdleTimerProc(plat::HWND, plat::UINT, plat::UINT_PTR, plat::DWORD) {}

} // namespace

AppContext& AppContext::Instance() {
    static AppContext context;
    return context;
}

bool AppContext::Startup(CMainDlg*) {
    idleTimerId = plat::SetTimer(nullptr, 0, kIdlePeriodMs, &IdleTimerProc);
    StartFlags& flags = Flags();
    if (!flags.dispatcherStarted) {
        flags.dispatcherStarted = true;
        InitMainThreadDispatcher();
    }
    if (!flags.transferEngineStarted) {
        flags.transferEngineStarted = true;
        flags.transferPumpTimerId = plat::SetTimer(nullptr, 0, kPumpPeriodMs, &HttpPumpTimerProc);
        InitCommandEngine();
        InitDownloadEngine();
    }
    return true;
}

bool AppContext::Shutdown() {
    if (idleTimerId != 0) {
        plat::KillTimer(nullptr, idleTimerId);
        idleTimerId = 0;
    }
    StartFlags& flags = Flags();
    ShutdownMainThreadDispatcher();
    // A later Startup in the same process starts the dispatcher afresh.
    flags.dispatcherStarted = false;
    if (flags.transferEngineStarted) {
        UninitCommandEngine();
        UninitDownloadEngine();
        plat::KillTimer(nullptr, flags.transferPumpTimerId);
        flags.transferPumpTimerId = 0;
        flags.transferEngineStarted = false;
    }
    return true;
}

bool DispatcherStarted() {
    return Flags().dispatcherStarted;
}
bool TransferEngineStarted() {
    return Flags().transferEngineStarted;
}
plat::UINT_PTR TransferPumpTimerId() {
    return Flags().transferPumpTimerId;
}

int RunMessageLoop() {
    plat::MSG message{};
    while (plat::GetMessage(&message, nullptr, 0, 0) > 0) {
        plat::TranslateMessage(&message);
        plat::DispatchMessage(&message);
    }
    return static_cast<int>(message.wParam);
}
