// Internal to the POSIX backend: lets other parts of the emulation wake blocked message loops.
#pragma once

namespace plat::posix {

// Wakes every thread blocked in GetMessage so that it re-reads its timers' deadlines
// (called after the emulated clock moved).
void WakeAllMessageQueues();

} // namespace plat::posix
