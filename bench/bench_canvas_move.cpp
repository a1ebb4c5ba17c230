// Frames per second of a shape move on the real canvas: every step is one
// pointer move on the widget, the recomposition it triggers stored in the tab,
// and one synchronous repaint. The screenshot is the 2880 x 1800 pixel HiDPI
// capture (ratio 2) of the other benchmarks, composed on a gradient.
//
// Steps per second are frames per second. Run with QT_SCALE_FACTOR=2 for a
// canvas on a HiDPI screen as well.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "canvas/image_display_buffer.h"
#include "model/gradient_preset.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace lustrelab;

namespace {

// Waits for the composition asked for by the last step to be stored.
bool waitForComposition(const AppState& state, qint64 previousKey)
{
    const QDeadlineTimer deadline(10000);
    QTimer wake; // only so that the sleeping loop looks at the deadline
    wake.start(50);
    auto stored = [&] {
        const ScreenshotTab* tab = state.currentTab();
        return !state.isProcessing() && tab && tab->processedImage &&
               tab->processedImage->cacheKey() != previousKey;
    };
    while (!stored()) {
        if (deadline.hasExpired())
            return false;
        // Sleeps as the window does: spinning would take a core from the worker.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

qint64 shownKey(const AppState& state)
{
    const ScreenshotTab* tab = state.currentTab();
    return tab && tab->processedImage ? tab->processedImage->cacheKey() : 0;
}

void moveDrag(benchmark::State& run, bool withRemovalArea)
{
    QTemporaryDir templates;
    AppState state(templates.path());
    BeautySettings settings;
    settings.gradientPresetId = gradientPresets().at(1).id;
    state.setSettings(settings);
    CanvasView view(state);
    view.resize(1280, 800);
    view.show();
    state.loadImage(bench::makeScreenshot(), false);
    if (!waitForComposition(state, 0)) {
        run.SkipWithError("the first composition never arrived");
        return;
    }
    if (withRemovalArea) {
        // 600 x 300 points of the composed canvas, over the lines of text.
        const QImage& composed = *state.currentTab()->processedImage;
        const QSizeF points = QSizeF(composed.size()) / composed.devicePixelRatio();
        state.addRemovalArea({0.45, 0.5, 600 / points.width(), 300 / points.height()},
                             RemovalMethod::contentAware);
        if (!waitForComposition(state, shownKey(state))) {
            run.SkipWithError("the removal area was never composed");
            return;
        }
    }
    ShapeOverlay shape;
    shape.shapeType = ShapeType::arrow;
    shape.startPoint = {0.2, 0.3};
    shape.endPoint = {0.35, 0.45};
    state.setCurrentShapeOverlays({shape});
    state.processImage();
    waitForComposition(state, shownKey(state));
    view.repaint();

    const QImage& shown = *state.currentTab()->processedImage;
    const QRectF frame =
        canvas::fittedImageFrame(QSizeF(view.size()), QSizeF(shown.size()) / shown.devicePixelRatio());
    const QPoint grab =
        QPointF(frame.left() + 0.275 * frame.width(), frame.top() + 0.625 * frame.height()).toPoint();
    QTest::mousePress(&view, Qt::LeftButton, {}, grab);
    int step = 0;
    for (auto _ : run) {
        // Back and forth over 300 points, 3 points a step: a brisk drag.
        const int phase = step++ % 200;
        const int offset = 15 + 3 * (phase < 100 ? phase : 200 - phase);
        const qint64 before = shownKey(state);
        QTest::mouseMove(&view, grab + QPoint(offset, offset / 3));
        if (!waitForComposition(state, before)) {
            run.SkipWithError("a move step was never composed");
            break;
        }
        view.repaint();
    }
    QTest::mouseRelease(&view, Qt::LeftButton, {}, grab);
    run.counters["fps"] = benchmark::Counter(double(run.iterations()), benchmark::Counter::kIsRate);
}

void BM_CanvasMoveDrag(benchmark::State& run)
{
    moveDrag(run, false);
}
BENCHMARK(BM_CanvasMoveDrag)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_CanvasMoveDragWithRemovalArea(benchmark::State& run)
{
    moveDrag(run, true);
}
BENCHMARK(BM_CanvasMoveDragWithRemovalArea)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// One pointer step of a drag with a drawing tool on the same canvas: the move
// handed to the canvas and the repaint that shows it. A drag is `steps`
// pointer steps along `path` (unit coordinates of the image, from 0 to 1); at
// its end the pointer is released, what it drew composed (not timed) and
// taken away, and a new drag begun.
template <typename Path> void toolDrag(benchmark::State& run, CanvasTool tool, int steps, Path path)
{
    QTemporaryDir templates;
    AppState state(templates.path());
    BeautySettings settings;
    settings.gradientPresetId = gradientPresets().at(1).id;
    state.setSettings(settings);
    CanvasView view(state);
    view.resize(1280, 800);
    view.show();
    state.loadImage(bench::makeScreenshot(), false);
    if (!waitForComposition(state, 0)) {
        run.SkipWithError("the first composition never arrived");
        return;
    }
    state.setCurrentTool(tool);
    view.repaint();
    const QImage& shown = *state.currentTab()->processedImage;
    const QRectF frame =
        canvas::fittedImageFrame(QSizeF(view.size()), QSizeF(shown.size()) / shown.devicePixelRatio());
    auto pointAt = [&](int i) {
        const QPointF unit = path(double(i) / steps);
        return QPointF(frame.left() + frame.width() * unit.x(), frame.top() + frame.height() * unit.y())
            .toPoint();
    };
    int step = 0;
    qint64 worst = 0; // nanoseconds: every step must make its frame, not only the average
    QElapsedTimer clock;
    QTest::mousePress(&view, Qt::LeftButton, {}, pointAt(0));
    for (auto _ : run) {
        clock.start();
        QTest::mouseMove(&view, pointAt(++step));
        view.repaint();
        worst = std::max(worst, clock.nsecsElapsed());
        if (step == steps) {
            run.PauseTiming();
            const qint64 before = shownKey(state);
            QTest::mouseRelease(&view, Qt::LeftButton, {}, pointAt(step));
            waitForComposition(state, before);
            state.setCurrentPenStrokes({});
            state.setCurrentRemovalAreas({});
            state.processImage();
            waitForComposition(state, shownKey(state));
            step = 0;
            QTest::mousePress(&view, Qt::LeftButton, {}, pointAt(0));
            run.ResumeTiming();
        }
    }
    QTest::mouseRelease(&view, Qt::LeftButton, {}, pointAt(step));
    run.counters["fps"] = benchmark::Counter(double(run.iterations()), benchmark::Counter::kIsRate);
    run.counters["worst_ms"] = double(worst) / 1e6;
}

// A pen stroke is 2 s at 120 Hz (240 steps) of loops across the image.
void BM_CanvasPenStroke(benchmark::State& run)
{
    toolDrag(run, CanvasTool::pen, 240, [](double t) {
        t *= 2;
        const double radius = 0.08 + 0.04 * std::sin(3 * t);
        return QPointF(0.2 + 0.25 * t + radius * std::cos(3 * M_PI * t),
                       0.5 + radius * std::sin(3 * M_PI * t));
    });
}
BENCHMARK(BM_CanvasPenStroke)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The removal tool's rectangle opened over the lines of text in 1 s at 120 Hz
// (120 steps), to about 600 x 300 points; the release composes the area.
void BM_CanvasRemovalDrag(benchmark::State& run)
{
    toolDrag(run, CanvasTool::remove, 120, [](double t) { return QPointF(0.4 + 0.38 * t, 0.3 + 0.33 * t); });
}
BENCHMARK(BM_CanvasRemovalDrag)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The canvas's own share of a step: resampling one new composition to the
// display size (1232 x 752 points of room at ratio 1) and drawing it.
void BM_DisplayRefill(benchmark::State& run)
{
    QImage composed(3136, 2056, QImage::Format_ARGB32_Premultiplied);
    composed.fill(QColor(90, 140, 220));
    composed.setDevicePixelRatio(2);
    QImage screen(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const QRectF frame(24, 24, 1232 * 0.99, 752 * 0.99);
    ImageDisplayBuffer display;
    for (auto _ : run) {
        composed.detach(); // a new composition every step
        composed.setPixel(0, 0, 0);
        QPainter painter(&screen);
        display.paint(painter, composed, frame, 1, false);
    }
}
BENCHMARK(BM_DisplayRefill)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the user's preferences and templates out of it.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
