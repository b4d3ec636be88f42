// The emulated time base: the host's steady clock plus what tests add.
#include "Platform/Posix/EmulatedClock.h"

#include "Platform/Posix/KernelObjects.h"
#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/MessageQueues.h"
#include "Platform/Posix/TestDesktop.h"

#include <atomic>
#include <chrono>

namespace plat::posix {
namespace {

std::atomic<std::int64_t> g_offsetNs{0};
std::atomic<std::int64_t> g_systemShiftNs{0};

constexpr std::int64_t kNsPerMs = 1000000;

} // namespace

std::int64_t SteadyNowNs() {
    const auto host = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(host).count() + g_offsetNs.load();
}

std::int64_t SteadyNowMs() { return SteadyNowNs() / kNsPerMs; }

std::int64_t SystemTimeOffsetNs() { return g_offsetNs.load() + g_systemShiftNs.load(); }

// The monotonic offset survives a reset: clocks that ran backwards would break every deadline.
void ResetClock() { g_systemShiftNs = 0; }

} // namespace plat::posix

namespace plat::test {

void AdvanceClock(std::int64_t milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    posix::g_offsetNs += milliseconds * posix::kNsPerMs;
    posix::WakeKernelWaiters();
    posix::WakeAllMessageQueues();
}

void ShiftSystemTime(std::int64_t milliseconds) { posix::g_systemShiftNs += milliseconds * posix::kNsPerMs; }

} // namespace plat::test
