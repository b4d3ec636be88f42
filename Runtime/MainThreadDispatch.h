// Worker threads hand results to the main thread as queued tasks; the main thread's message
// loop runs them in order, woken by a registered message posted to a message-only window.
#pragma once

#include "Platform/Types.h"
#include "Runtime/RefCounted.h"

#include <cstdint>
#include <tuple>
#include <type_traits>

class MainThreadTaskBase : public CRefThreadSafeBase<MainThreadTaskBase> {
public:
    virtual void Run() = 0;
    virtual ~MainThreadTaskBase() = default;
};

// A plain function and copies of its arguments. Each argument is stored as its Stored type and
// passed to the function as the matching parameter type (a reference binds to the stored copy).
template <typename Signature, typename... Stored> class MainThreadTask;

template <typename R, typename... Passed, typename... Stored>
class MainThreadTask<R(Passed...), Stored...> : public MainThreadTaskBase {
    static_assert(sizeof...(Passed) == sizeof...(Stored));

public:
    using Function = R (*)(Passed...);

    MainThreadTask(Function function, const Stored&... values) : fn(function), args(values...) {}

    void Run() override {
        std::apply([this](Stored&... values) { fn(values...); }, args);
    }

private:
    Function fn;
    std::tuple<Stored...> args;
};

template <typename T1, typename P1, typename T2, typename P2, typename R = void>
using MainThreadTask2 = MainThreadTask<R(P1, P2), T1, T2>;
template <typename T1, typename P1, typename T2, typename P2, typename T3, typename P3, typename R = void>
using MainThreadTask3 = MainThreadTask<R(P1, P2, P3), T1, T2, T3>;
template <typename T1, typename P1, typename T2, typename P2, typename T3, typename P3, typename T4,
          typename P4, typename R = void>
using MainThreadTask4 = MainThreadTask<R(P1, P2, P3, P4), T1, T2, T3, T4>;

using MainThreadRunner = void (*)(CRefPtr<MainThreadTaskBase>* task);

// The runner of every task: calls (*task)->Run().
void RunTask(CRefPtr<MainThreadTaskBase>* task);

// Any thread. Queues the task; the first task into an empty queue wakes the main thread.
// After ShutdownMainThreadDispatcher nothing is queued: the caller's reference is the last one.
void PostMainThreadTask(MainThreadRunner runner, const CRefPtr<MainThreadTaskBase>& task);

// Any thread: fn(args...) will run on the main thread. Each argument is stored as the decayed
// parameter type (a const CRefPtr<X>& parameter stores a CRefPtr<X>, holding a reference).
template <typename R, typename... P> void RunOnMainThread(R (*fn)(P...), const std::decay_t<P>&... args) {
    CRefPtr<MainThreadTaskBase> task(new MainThreadTask<R(P...), std::decay_t<P>...>(fn, args...));
    PostMainThreadTask(&RunTask, task);
}

// Main thread, at start-up: creates the dispatcher window ("ThreadingWindowClass") and registers
// its message. Does nothing while the dispatcher runs; after a shutdown it starts afresh.
void InitMainThreadDispatcher();

// Main thread: releases every pending task unrun (newest first) and destroys the window.
void ShutdownMainThreadDispatcher();

// Wall-clock seconds for the dispatcher's time budget, calibrated against the high-resolution
// counter. It never runs backwards: when the system time is set back, it holds its value and
// then moves on from there.
class DispatcherClock {
public:
    class Source {
    public:
        virtual ~Source() = default;
        // Milliseconds since 1970-01-01 UTC.
        virtual std::uint64_t SystemMs() = 0;
        virtual bool CounterFrequency(std::int64_t* perSecond) = 0;
        virtual std::int64_t Counter() = 0;
        virtual plat::DWORD TickCount() = 0;
        // Brackets the calibration's system-time reading with a 1 ms timer resolution.
        virtual void FineTimer(bool on) = 0;
    };

    // The system's clocks.
    static Source& SystemSource();

    explicit DispatcherClock(Source& readings) : source(readings) {}

    double Now();

private:
    double CounterMs();
    void TrackTickDrift(double qpc);
    void Calibrate(double qpc);

    Source& source;
    bool frequencyQueried = false;
    std::int64_t frequency = 0;
    bool haveTrack = false;
    double trackQpc = 0;
    plat::DWORD trackTick = 0;
    bool calibrated = false;
    double baseSys = 0;
    double baseQpc = 0;
    bool haveRemembered = false;
    double remembered = 0;
    double offset = 0;
    double highest = 0;
};

// Replaces the clock that times each drain (null: the system's). Main thread, between drains.
void SetDispatcherClockSource(DispatcherClock::Source* source);
