// Internal to the POSIX backend: the one time base behind every emulated clock and timer.
#pragma once

#include <cstdint>

namespace plat::posix {

// Emulated monotonic milliseconds: the host's steady clock plus the offset tests add.
std::int64_t SteadyNowMs();
// Emulated monotonic nanoseconds (the performance counter's base).
std::int64_t SteadyNowNs();

} // namespace plat::posix
