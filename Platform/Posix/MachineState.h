// Internal to the POSIX backend: how test::ResetMachine reaches the state of each concern.
#pragma once

#include <cstdint>

namespace plat::posix {

void ResetClock();
void ResetDrives();
void ResetFiles();
void ResetProcessPaths();
void ResetText();
void ResetDebug();
void ResetProcesses();
void ResetShell();
void ResetRegistry();

// The wall clock's distance from the host's real time (the emulated offset plus the shift).
std::int64_t SystemTimeOffsetNs();

} // namespace plat::posix
