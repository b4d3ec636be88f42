// The process-wide application context: carries the game id to the main window and starts and
// stops the services the main thread shares with the worker threads. Main thread only.
#pragma once

#include "Platform/Types.h"

#include <cstdint>

class CMainDlg;

class AppContext {
public:
    static constexpr plat::UINT kIdlePeriodMs = 1000;
    static constexpr plat::UINT kPumpPeriodMs = 500;

    static AppContext& Instance();

    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The idle timer, the main-thread dispatcher, the HTTP pump timer, then the command engine
    // and the download engine (each service once until the next Shutdown).
    bool Startup(CMainDlg* window);
    // Idle timer, dispatcher, engines, pump timer.
    bool Shutdown();

    // 0: the command line gave none.
    std::uint16_t gameId = 0;
    plat::UINT_PTR idleTimerId = 0;

private:
    AppContext() = default;
};

// The start flags of the shared services.
bool DispatcherStarted();
bool TransferEngineStarted();
plat::UINT_PTR TransferPumpTimerId();

// The main thread's message loop: the first parameter of the quit message.
int RunMessageLoop();
