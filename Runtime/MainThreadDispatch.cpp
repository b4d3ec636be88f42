#include "Runtime/MainThreadDispatch.h"

#include "Platform/Time.h"
#include "Platform/Window.h"

#include <cmath>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

namespace {

constexpr double kDrainBudgetSeconds = 0.05;
constexpr double kTickDriftLimitMs = 500;
constexpr double kCalibrationDriftLimitMs = 31.25;
constexpr double kHoldBackMs = 2000;
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ull;

class SystemClockSource : public DispatcherClock::Source {
public:
    std::uint64_t SystemMs() override { return (plat::GetSystemTimeAsFileTime() - kFileTimeOf1970) / 10000; }
    bool CounterFrequency(std::int64_t* perSecond) override {
        return plat::QueryPerformanceFrequency(perSecond);
    }
    std::int64_t Counter() override {
        std::int64_t count = 0;
        plat::QueryPerformanceCounter(&count);
        return count;
    }
    plat::DWORD TickCount() override { return plat::GetTickCount(); }
    void FineTimer(bool on) override {
        if (on) {
            plat::TimeBeginPeriod(1);
        } else {
            plat::TimeEndPeriod(1);
        }
    }
};

struct Entry {
    MainThreadRunner runner;
    CRefPtr<MainThreadTaskBase> task;
};

enum class Phase { NotStarted, Running, ShutDown };

struct Dispatcher {
    std::mutex lock;
    std::deque<Entry> queue;
    Phase phase = Phase::NotStarted;
    plat::HWND window = nullptr;
    plat::UINT message = 0;
    // Main thread only.
    std::unique_ptr<DispatcherClock> clock =
        std::make_unique<DispatcherClock>(DispatcherClock::SystemSource());
};

// Never destroyed: a worker that posts while the process exits must still find the lock.
Dispatcher& State() {
    static Dispatcher* const state = new Dispatcher;
    return *state;
}

void PostWakeUp(const Dispatcher& d) {
    if (d.phase == Phase::Running) {
        plat::PostMessage(d.window, d.message, 0, 0);
    }
}

void Drain() {
    Dispatcher& d = State();
    const double start = d.clock->Now();
    CRefPtr<MainThreadTaskBase> task;
    for (;;) {
        task = nullptr; // the previous task is released outside the lock
        MainThreadRunner runner = nullptr;
        {
            std::lock_guard<std::mutex> guard(d.lock);
            if (d.queue.empty()) {
                return;
            }
            runner = d.queue.front().runner;
            task = d.queue.front().task;
            d.queue.pop_front();
        }
        runner(&task);
        if (d.clock->Now() - start > kDrainBudgetSeconds) {
            std::lock_guard<std::mutex> guard(d.lock);
            PostWakeUp(d);
            return;
        }
    }
}

plat::LRESULT DispatcherProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                             plat::LPARAM lParam) {
    if (message != 0 && message == State().message) {
        Drain();
        return 0;
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

} // namespace

void RunTask(CRefPtr<MainThreadTaskBase>* task) {
    (*task)->Run();
}

void PostMainThreadTask(MainThreadRunner runner, const CRefPtr<MainThreadTaskBase>& task) {
    Dispatcher& d = State();
    // The wake-up is posted under the lock so that it cannot race a shutdown's DestroyWindow.
    std::lock_guard<std::mutex> guard(d.lock);
    if (d.phase == Phase::ShutDown) {
        return;
    }
    const bool wasEmpty = d.queue.empty();
    d.queue.push_back(Entry{runner, task});
    if (wasEmpty) {
        PostWakeUp(d);
    }
}

void InitMainThreadDispatcher() {
    Dispatcher& d = State();
    if (d.phase == Phase::Running) {
        return;
    }
    const plat::UINT message = plat::RegisterWindowMessage(L"PelmoNet.MainThreadFired");
    plat::WindowClass windowClass;
    windowClass.name = L"ThreadingWindowClass";
    windowClass.proc = &DispatcherProc;
    plat::RegisterClass(windowClass); // already registered after an earlier shutdown
    plat::HWND window =
        plat::CreateWindowEx(0, L"ThreadingWindowClass", L"", 0, plat::CW_USEDEFAULT, plat::CW_USEDEFAULT,
                             plat::CW_USEDEFAULT, plat::CW_USEDEFAULT, plat::HWND_MESSAGE, nullptr);
    std::lock_guard<std::mutex> guard(d.lock);
    d.message = message;
    d.window = window;
    d.phase = Phase::Running;
    // Tasks posted before start-up get their wake-up now.
    if (!d.queue.empty()) {
        PostWakeUp(d);
    }
}

void ShutdownMainThreadDispatcher() {
    Dispatcher& d = State();
    std::deque<Entry> pending;
    {
        std::lock_guard<std::mutex> guard(d.lock);
        if (d.phase == Phase::ShutDown) {
            return;
        }
        pending.swap(d.queue);
        if (d.window != nullptr) {
            plat::DestroyWindow(d.window);
        }
        d.phase = Phase::ShutDown;
    }
    // Released outside the lock: a task's destructor may post or log.
    while (!pending.empty()) {
        pending.pop_back();
    }
}

void SetDispatcherClockSource(DispatcherClock::Source* source) {
    State().clock = std::make_unique<DispatcherClock>(source ? *source : DispatcherClock::SystemSource());
}

DispatcherClock::Source& DispatcherClock::SystemSource() {
    static SystemClockSource* const source = new SystemClockSource;
    return *source;
}

double DispatcherClock::Now() {
    const double sys = static_cast<double>(source.SystemMs());
    if (!frequencyQueried) {
        frequencyQueried = true;
        if (!source.CounterFrequency(&frequency) || frequency <= 0) {
            frequency = 0;
        }
    }
    double ms = sys;
    if (frequency != 0) {
        const double qpc = CounterMs();
        TrackTickDrift(qpc);
        if (!calibrated) {
            Calibrate(qpc);
        }
        ms = baseSys + (qpc - baseQpc);
        if (std::fabs((qpc - baseQpc) - (sys - baseSys)) > kCalibrationDriftLimitMs) {
            calibrated = false;
        }
        if (haveRemembered && ms < remembered && remembered - ms < kHoldBackMs) {
            ms = remembered;
        } else {
            remembered = ms;
            haveRemembered = true;
        }
    }
    double reading = ms / 1000 + offset;
    if (reading < highest) {
        // Holding the highest value until real time caught up would stall the drain budget
        // for as long as the clock was set back; move on from it instead.
        offset += highest - reading;
        reading = highest;
    }
    highest = reading;
    return reading;
}

double DispatcherClock::CounterMs() {
    const std::int64_t count = source.Counter();
    return static_cast<double>(count / frequency) * 1000 +
           static_cast<double>(count % frequency) * 1000 / static_cast<double>(frequency);
}

void DispatcherClock::TrackTickDrift(double qpc) {
    const plat::DWORD tick = source.TickCount();
    if (haveTrack) {
        const double counterMoved = qpc - trackQpc;
        const double tickMoved = static_cast<double>(static_cast<plat::DWORD>(tick - trackTick));
        if (std::fabs(counterMoved - tickMoved) > kTickDriftLimitMs) {
            calibrated = false;
        }
    }
    haveTrack = true;
    trackQpc = qpc;
    trackTick = tick;
}

void DispatcherClock::Calibrate(double qpc) {
    source.FineTimer(true);
    baseSys = static_cast<double>(source.SystemMs());
    source.FineTimer(false);
    baseQpc = qpc;
    calibrated = true;
}
