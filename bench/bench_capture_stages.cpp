// Where `lustrelab capture screen --copy` spends its time, stage by stage, on
// the desktop the benchmark runs in (no offscreen platform here):
//   BM_GrabX11Screen     the X server's pixels of the whole screen (X11:
//                        shared memory; /plain: the plain request)
//   BM_PortalScreenshot  the desktop portal's full-screen answer, until its
//                        file is there (Wayland with a Screenshot portal)
//   BM_DecodePortalFile  decoding that file into pixels ready to compose
//   BM_Compose           composing that screen with the default styling,
//                        at the pixel ratio of the argument (1 or 2)
//   BM_EncodeCopy        encoding the composition as PNG for the clipboard
//   BM_HandOver          handing the PNG over so that it outlives the
//                        process: the detached holder on X11 (until it owns
//                        the clipboard), wl-copy on Wayland (until it exits)
//   BM_AfterCapture      decoding (Wayland), composing, encoding and the
//                        hand-over in one go, as the command runs them
// The screen is grabbed once (or asked of the portal once) and reused by the
// later stages; elsewhere the drawn screenshot of the other benchmarks.
//   xvfb-run -s "-screen 0 2880x1800x24" build/bench/bench_capture_stages
//   waybed.sh build/bench/bench_capture_stages     (WAYBED_SIZE=3200x2000 ...)
#include "cli/batch_runner.h"
#include "cli/compose_command.h"
#include "io/clipboard_handover.h"
#include "io/export_service.h"
#include "io/image_loader.h"
#include "io/png_encoder.h"
#include "io/portal_capture_backend.h"
#include "io/x11_screen_grab.h"
#include "render/image_processor.h"
#include "screenshot_fixture.h"
#include "state/export_scale.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <optional>

using namespace lustrelab;

namespace {

bool onPlatform(const char* name)
{
    return QGuiApplication::platformName() == QLatin1String(name);
}

struct X11Screen
{
    xcb_connection_t* connection = nullptr;
    const xcb_screen_t* screen = nullptr;
};

X11Screen x11Screen()
{
    static X11Screen s = [] {
        X11Screen result;
        if (!onPlatform("xcb"))
            return result;
        result.connection = xcb_connect(nullptr, nullptr);
        result.screen = xcb_setup_roots_iterator(xcb_get_setup(result.connection)).data;
        return result;
    }();
    return s;
}

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// One portal screenshot of the whole screen into `path`; its time, or -1.
double portalScreenshot(const QString& path)
{
    PortalCaptureBackend portal(QDBusConnection::sessionBus());
    QEventLoop loop;
    QString error;
    bool ended = false;
    QElapsedTimer timer;
    timer.start();
    portal.capture(CaptureMode::fullScreen, path, [&](const QString& e) {
        error = e;
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    return error.isEmpty() && QFile::exists(path) ? double(timer.nsecsElapsed()) / 1e6 : -1;
}

QString portalFile()
{
    static const QString path = [] {
        const QString p = scratch().filePath(QStringLiteral("portal.png"));
        return onPlatform("wayland") && portalScreenshot(p) >= 0 ? p : QString();
    }();
    return path;
}

// The screen as the capture sees it, at ratio 1.
QImage screen()
{
    static const QImage image = [] {
        if (const X11Screen x = x11Screen(); x.connection)
            return grabRootArea(x.connection, x.screen,
                                QRect(0, 0, x.screen->width_in_pixels, x.screen->height_in_pixels))
                .image;
        if (!portalFile().isEmpty())
            return loadImage(portalFile()).image;
        QImage drawn = bench::makeScreenshot();
        drawn.setDevicePixelRatio(1);
        return drawn;
    }();
    return image;
}

QImage atRatio(int ratio)
{
    QImage image = screen().copy();
    image.setDevicePixelRatio(ratio);
    return image;
}

ComposeRecipe defaultRecipe(const QImage& image)
{
    ComposeRecipe recipe = *resolveComposeRecipe(ComposeOptions{});
    recipe.settings.exportScale = exportScaleFor(image, std::nullopt);
    return recipe;
}

void BM_GrabX11Screen(benchmark::State& state)
{
    const X11Screen x = x11Screen();
    if (!x.connection) {
        state.SkipWithError("needs an X11 session");
        return;
    }
    const GrabMethod method = state.range(0) ? GrabMethod::plainRequest : GrabMethod::automatic;
    const QRect all(0, 0, x.screen->width_in_pixels, x.screen->height_in_pixels);
    for (auto _ : state) {
        const XGrab grab = grabRootArea(x.connection, x.screen, all, method);
        if (grab.image.isNull()) {
            state.SkipWithError(grab.error.toUtf8().constData());
            return;
        }
        benchmark::DoNotOptimize(grab.image.constBits());
    }
    state.SetLabel(QStringLiteral("%1x%2").arg(all.width()).arg(all.height()).toStdString());
}
BENCHMARK(BM_GrabX11Screen)
    ->ArgName("plain")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_PortalScreenshot(benchmark::State& state)
{
    if (portalFile().isEmpty()) {
        state.SkipWithError("needs a Wayland session with a Screenshot portal");
        return;
    }
    const QString path = scratch().filePath(QStringLiteral("again.png"));
    for (auto _ : state) {
        QFile::remove(path);
        const double ms = portalScreenshot(path);
        if (ms < 0) {
            state.SkipWithError("the portal gave no screenshot");
            return;
        }
        state.SetIterationTime(ms / 1000);
    }
}
BENCHMARK(BM_PortalScreenshot)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_DecodePortalFile(benchmark::State& state)
{
    if (portalFile().isEmpty()) {
        state.SkipWithError("needs a Wayland session with a Screenshot portal");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(loadImage(portalFile()).image.constBits());
}
BENCHMARK(BM_DecodePortalFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_Compose(benchmark::State& state)
{
    const QImage image = atRatio(int(state.range(0)));
    const ComposeRecipe recipe = defaultRecipe(image);
    const ComposeJob job{QStringLiteral("bench"), {}, ExportFormat::png, {}, false};
    for (auto _ : state) {
        const JobOutcome outcome = composeLoaded(image, job, recipe);
        if (!outcome.written) {
            state.SkipWithError(outcome.error.toUtf8().constData());
            return;
        }
    }
    state.SetLabel(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()).toStdString());
}
BENCHMARK(BM_Compose)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The composition a copy encodes: composed once, outside the timing.
QImage composedCopy(int ratio)
{
    const QImage image = atRatio(ratio);
    const ComposeRecipe recipe = defaultRecipe(image);
    ImageProcessor processor;
    const QImage composed = processor.compose(image, recipe.settings);
    return ExportService::scaleImage(composed, recipe.settings.exportScale);
}

void BM_EncodeCopy(benchmark::State& state)
{
    const QImage composed = composedCopy(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = PngEncoder::encode(composed).size();
    state.counters["MB"] = double(bytes) / 1e6;
    state.SetLabel(QStringLiteral("%1x%2").arg(composed.width()).arg(composed.height()).toStdString());
}
BENCHMARK(BM_EncodeCopy)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_HandOver(benchmark::State& state)
{
    if (!clipboardHandoverProblem().isEmpty()) {
        state.SkipWithError(clipboardHandoverProblem().toUtf8().constData());
        return;
    }
    const QByteArray png = PngEncoder::encode(composedCopy(int(state.range(0))));
    for (auto _ : state) {
        if (const QString failure = keepOnClipboardAfterExit(png); !failure.isEmpty()) {
            state.SkipWithError(failure.toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_HandOver)->ArgName("ratio")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

// The stages above one after the other, as the command runs them once the
// pixels are there: on Wayland from the portal's answer (its file decoded),
// on X11 from the grab.
void BM_AfterCapture(benchmark::State& state)
{
    if (!clipboardHandoverProblem().isEmpty()) {
        state.SkipWithError(clipboardHandoverProblem().toUtf8().constData());
        return;
    }
    const int ratio = int(state.range(0));
    const ComposeJob job{QStringLiteral("bench"), {}, ExportFormat::png, {}, true};
    for (auto _ : state) {
        QImage image = portalFile().isEmpty() ? atRatio(ratio) : loadImage(portalFile()).image;
        image.setDevicePixelRatio(ratio);
        const JobOutcome outcome = composeLoaded(image, job, defaultRecipe(image));
        const QString failure =
            outcome.written ? keepOnClipboardAfterExit(outcome.clipboardPng) : outcome.error;
        if (!failure.isEmpty()) {
            state.SkipWithError(failure.toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_AfterCapture)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    // The X11 hand-over starts this executable again as the clipboard's holder.
    if (argc == 3 && std::strcmp(argv[1], "hold-clipboard") == 0) {
        QGuiApplication app(argc, argv);
        return runClipboardHolder(QString::fromLocal8Bit(argv[2]));
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
