// Commands the benchmarks in tools/bench measure.
#include "Platform/Window.h"
#include "tools/pmtool/Commands.h"
#include "tools/pmtool/EngineSession.h"

namespace pmtool {

namespace {

constexpr int kUsageError = 2;
constexpr unsigned kMostIdleSeconds = 3600;

bool ParseSeconds(const std::wstring& text, unsigned* seconds) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    unsigned value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    *seconds = value;
    return value > 0 && value <= kMostIdleSeconds;
}

void OnIdleOver(plat::HWND, plat::UINT, plat::UINT_PTR, plat::DWORD) {
    plat::PostQuitMessage(0);
}

} // namespace

// Both engines and the main thread's loop running with nothing to transfer: what they cost idle.
int RunIdle(const Args& args) {
    unsigned seconds = 0;
    if (args.size() != 1 || !ParseSeconds(args[0], &seconds)) {
        PrintErr(L"usage: pmtool idle SECONDS (1 to 3600)");
        return kUsageError;
    }
    if (!UseLoopbackResolvers({})) {
        return kUsageError;
    }
    plat::UINT_PTR timer = 0;
    const int result = RunEngines(
        [&] {
            timer = plat::SetTimer(nullptr, 0, seconds * 1000, &OnIdleOver);
            return timer != 0;
        },
        [&] { plat::KillTimer(nullptr, timer); });
    return result == 0 ? 0 : 1;
}

} // namespace pmtool
