#pragma once

// The UI-thread benchmarks' clock: an application that times every event the
// UI thread handles, and rounds that report the longest of those steps.
//
// Each benchmark's time is the longest single step the UI thread spent in one
// event (or in the call itself, for a call made outside any event) from the
// call until its result is in the model or on the canvas, averaged over a
// fixed number of rounds; at 60 frames per second a step over 16 ms drops a
// frame. Counters:
//   call_ms   how long the call itself took to return
//   done_ms   from the call until the result was stored (or shown)
//   worst_ms  the longest step of all rounds; the label tells what it handled
//             (event type and receiver's class)
//   worst_cpu_ms  the UI thread's processor time in that step
//   cpu_ms    the UI thread's processor time in its longest step, per round: on
//             a loaded machine a step can last longer than the work in it,
//             while the thread waits for a core

#include "state/app_state.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <functional>

namespace lustrelab::bench {

inline qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Times every event the UI thread handles. A widgets application, so that the
// canvas and the sidebar can take pointer events. An event handled inside
// another one (a paint inside an update request) is part of the outer step.
class TimedApplication : public QApplication
{
  public:
    using QApplication::QApplication;

    static TimedApplication* timed() { return static_cast<TimedApplication*>(QCoreApplication::instance()); }

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        const bool handled = QApplication::notify(receiver, event);
        if (timer.nsecsElapsed() > longestStep) {
            longestStep = timer.nsecsElapsed();
            longestStepCpu = threadCpuNs() - cpuStart;
            longestStepEvent = event->type();
            longestStepReceiver = receiver->metaObject()->className();
        }
        return handled;
    }

    qint64 longestStep = 0;    // ns
    qint64 longestStepCpu = 0; // ns
    // What the longest step handled, to tell where a slow one went.
    QEvent::Type longestStepEvent = QEvent::None;
    const char* longestStepReceiver = "";
};

// Runs the event loop until `done`, for at most `timeoutMs`; false when the
// time ran out. It sleeps between events as the window does (a loop that spins
// takes a core from the workers), and a timer wakes it so that it sees the
// deadline even when nothing else happens.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.start(50);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Until nothing is composing, then whatever that left in the queue.
inline bool settle(const AppState& app)
{
    if (!runUntil([&] { return !app.isProcessing(); }))
        return false;
    QCoreApplication::processEvents();
    return true;
}

// Runs `call`, then the event loop until `done` (its result is in the model
// or shown), once per iteration, and records the longest UI-thread step.
// Work left over from the round before is finished first, then `prepare`,
// both untimed. A call made outside any event is a step of its own; one that
// only delivers events (pointer moves) passes `callIsStep` false, as those
// events are timed already.
inline void measure(benchmark::State& state, const AppState& app, const std::function<void()>& call,
                    const std::function<bool()>& done, const std::function<void()>& prepare = {},
                    bool callIsStep = true)
{
    TimedApplication* timed = TimedApplication::timed();
    double callMs = 0, doneMs = 0, worstMs = 0, worstCpuMs = 0, cpuMs = 0;
    QByteArray worstStep;
    for (auto _ : state) {
        if (!settle(app)) {
            state.SkipWithError("a composition never finished");
            return;
        }
        if (prepare) {
            prepare();
            if (!settle(app)) {
                state.SkipWithError("the preparation never finished composing");
                return;
            }
        }
        timed->longestStep = timed->longestStepCpu = 0;
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        call();
        const qint64 callNs = timer.nsecsElapsed(), callCpuNs = threadCpuNs() - cpuStart;
        if (!runUntil(done)) {
            state.SkipWithError(QByteArrayLiteral("the result never arrived in round ")
                                    .append(QByteArray::number(state.iterations() + 1))
                                    .constData());
            return;
        }
        doneMs += timer.nsecsElapsed() / 1e6;
        callMs += callNs / 1e6;
        const bool callLongest = callIsStep && callNs > timed->longestStep;
        const qint64 longest = callLongest ? callNs : timed->longestStep;
        const double longestCpuMs = (callLongest ? callCpuNs : timed->longestStepCpu) / 1e6;
        cpuMs += longestCpuMs;
        if (longest / 1e6 > worstMs) {
            worstMs = longest / 1e6;
            worstCpuMs = longestCpuMs;
            worstStep = callLongest ? QByteArrayLiteral("the call")
                                    : QByteArray::number(int(timed->longestStepEvent))
                                          .prepend("event ")
                                          .append(" to ")
                                          .append(timed->longestStepReceiver);
        }
        state.SetIterationTime(longest / 1e9);
    }
    state.counters["call_ms"] = benchmark::Counter(callMs / double(state.iterations()));
    state.counters["done_ms"] = benchmark::Counter(doneMs / double(state.iterations()));
    state.counters["worst_ms"] = benchmark::Counter(worstMs);
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs / double(state.iterations()));
    state.counters["worst_cpu_ms"] = benchmark::Counter(worstCpuMs);
    state.SetLabel(("worst: " + worstStep).toStdString());
}

} // namespace lustrelab::bench
