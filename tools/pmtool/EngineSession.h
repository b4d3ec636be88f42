// How pmtool runs the engines: as the installer does, started by the application context,
// driven by the thread's message loop until a result posts the quit message, then stopped.
#pragma once

#include "Installer/AppContext.h"

#include <string>
#include <vector>

namespace pmtool {

// Runs start() with the engines up; when it returns true, runs the message loop until the quit
// message; then stop() while the engines still run. The loop's result, or -1 when nothing started.
template <typename StartFn, typename StopFn> int RunEngines(StartFn start, StopFn stop) {
    AppContext::Instance().Startup(nullptr);
    const int result = start() ? RunMessageLoop() : -1;
    stop();
    AppContext::Instance().Shutdown();
    return result;
}

template <typename StartFn> int RunEngines(StartFn start) {
    return RunEngines(start, [] {});
}

// Replaces the fallback resolvers; only loopback addresses are accepted (a default loopback one
// when none is given), so no tool run ever asks a resolver off this machine.
bool UseLoopbackResolvers(std::vector<std::string> resolvers);

} // namespace pmtool
