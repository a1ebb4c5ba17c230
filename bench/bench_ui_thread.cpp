// How long the UI thread is kept from its event loop by the window's image
// work on a 2880 x 1800 screenshot at ratio 2: composing after an edit (with a
// 600 x 300 pixel removal area present), opening a capture and exporting.
//
// Each benchmark's time is the longest single step the UI thread spent in one
// event (or in the call itself) from the call until the result is in the
// model, averaged over a fixed number of rounds (the rounds themselves take
// far longer than that time); at 60 frames per second a step over 16 ms drops
// a frame. Counters:
//   call_ms   how long the call itself took to return
//   done_ms   from the call until the result was stored (or reported)
//   worst_ms  the longest step of all rounds
//   cpu_ms    the UI thread's processor time in its longest step, per round: on
//             a loaded machine a step can last longer than the work in it,
//             while the thread waits for a core
#include "linking_backend.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <ctime>
#include <functional>

using namespace lustrelab;

namespace {

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Times every event the UI thread handles.
class TimedApplication : public QGuiApplication
{
  public:
    using QGuiApplication::QGuiApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (QThread::currentThread() != thread())
            return QGuiApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        const bool handled = QGuiApplication::notify(receiver, event);
        if (timer.nsecsElapsed() > longestStep) {
            longestStep = timer.nsecsElapsed();
            longestStepCpu = threadCpuNs() - cpuStart;
        }
        return handled;
    }

    qint64 longestStep = 0;    // ns
    qint64 longestStepCpu = 0; // ns
};

TimedApplication* application()
{
    return static_cast<TimedApplication*>(QCoreApplication::instance());
}

void settle(const AppState& app)
{
    while (app.isProcessing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Runs `call`, then the event loop until `done`; records the longest UI step.
// Work left over from the previous round is finished first, untimed.
void measure(benchmark::State& state, const AppState& app, const std::function<void()>& call,
             const std::function<bool()>& done)
{
    double callMs = 0, doneMs = 0, worstMs = 0, cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        settle(app);
        state.ResumeTiming();
        application()->longestStep = application()->longestStepCpu = 0;
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        call();
        const qint64 callNs = timer.nsecsElapsed(), callCpuNs = threadCpuNs() - cpuStart;
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        doneMs += timer.nsecsElapsed() / 1e6;
        callMs += callNs / 1e6;
        const qint64 longest = std::max(application()->longestStep, callNs);
        cpuMs += (callNs > application()->longestStep ? callCpuNs : application()->longestStepCpu) / 1e6;
        worstMs = std::max(worstMs, longest / 1e6);
        state.SetIterationTime(longest / 1e9);
    }
    state.counters["call_ms"] = benchmark::Counter(callMs / double(state.iterations()));
    state.counters["done_ms"] = benchmark::Counter(doneMs / double(state.iterations()));
    state.counters["worst_ms"] = benchmark::Counter(worstMs);
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs / double(state.iterations()));
}

// The screenshot with a shape and a 600 x 300 pixel removal area, composed once.
struct Document
{
    QTemporaryDir dir;
    AppState state{dir.path()};
    ShapeOverlay shape;

    Document()
    {
        state.loadImage(bench::makeScreenshot(), false);
        state.addShapeOverlay(ShapeType::rectangle);
        shape = state.currentShapeOverlays().constFirst();
        // The canvas is about 3136 x 2056 pixels around the 2880 x 1800 shot.
        state.addRemovalArea({0.3, 0.4, 600.0 / 3136, 300.0 / 2056}, RemovalMethod::contentAware);
        settle(state);
    }
};

// One pointer step of a shape being moved: the base layer is kept.
void BM_MoveShapeStep(benchmark::State& state)
{
    Document document;
    int step = 0;
    measure(
        state, document.state,
        [&] {
            ShapeOverlay moved = document.shape;
            moved.startPoint.x += (++step % 10) * 0.002;
            moved.endPoint.x += (step % 10) * 0.002;
            document.state.updateShapeOverlay(moved);
        },
        [&] { return !document.state.isProcessing(); });
}
BENCHMARK(BM_MoveShapeStep)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// A styling change: everything, the removal fill included, is composed again.
void BM_StylingChange(benchmark::State& state)
{
    Document document;
    int step = 0;
    measure(
        state, document.state,
        [&] {
            BeautySettings settings = document.state.settings();
            settings.shadowOpacity = (++step % 2) ? 0.25f : 0.26f;
            document.state.setSettings(settings);
            document.state.processImage();
        },
        [&] { return !document.state.isProcessing(); });
}
BENCHMARK(BM_StylingChange)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// From the start of a full-screen capture until its tab opens; the settle
// delay is a timer, so it costs the UI thread nothing.
void BM_CaptureUntilTabOpens(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    bench::makeScreenshot().save(png);
    AppState app(dir.path());
    app.screenCaptureService().setBackend(std::make_unique<bench::LinkingBackend>(png));
    qsizetype tabs = 0;
    measure(
        state, app,
        [&] {
            tabs = app.tabs().size();
            app.startFullScreenCapture();
        },
        [&] { return app.tabs().size() > tabs; });
    settle(app);
}
BENCHMARK(BM_CaptureUntilTabOpens)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

// Exporting the composed image at scale 2 as PNG.
void BM_ExportAtScale2(benchmark::State& state)
{
    Document document;
    const QUrl destination = QUrl::fromLocalFile(document.dir.filePath(QStringLiteral("out.png")));
    bool finished = false;
    QObject::connect(&document.state, &AppState::exportFinished, [&] { finished = true; });
    measure(
        state, document.state,
        [&] {
            finished = false;
            document.state.exportImageInBackground(destination, ExportFormat::png, 2.0);
        },
        [&] { return finished; });
}
BENCHMARK(BM_ExportAtScale2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
