// Frames per second of a shape move on the real canvas: every step is one
// pointer move on the widget, the recomposition it triggers stored in the tab,
// and the repaint of what that damaged, as the window's event loop paints it.
// The screenshot is the 2880 x 1800 pixel HiDPI capture (ratio 2) of the other
// benchmarks, composed on a gradient.
//
// Steps per second are frames per second. Run with QT_SCALE_FACTOR=2 for a
// canvas on a HiDPI screen as well.
#include "canvas/image_display_buffer.h"
#include "canvas_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace lustrelab;
using bench::shownKey;
using bench::waitForComposition;

namespace {

void moveDrag(benchmark::State& run, bool withRemovalArea)
{
    bench::GradientCanvas canvas;
    AppState& state = canvas.state;
    CanvasView& view = canvas.view;
    if (!canvas.open()) {
        run.SkipWithError("the first composition never arrived");
        return;
    }
    if (withRemovalArea && !canvas.addRemovalArea()) {
        run.SkipWithError("the removal area was never composed");
        return;
    }
    if (!canvas.addArrow()) {
        run.SkipWithError("the arrow was never composed");
        return;
    }
    view.repaint();

    const QPoint grab = canvas.arrowGrab();
    QTest::mousePress(&view, Qt::LeftButton, {}, grab);
    int step = 0;
    for (auto _ : run) {
        const qint64 before = shownKey(state);
        QTest::mouseMove(&view, grab + bench::briskDragOffset(step++));
        if (!waitForComposition(state, before)) {
            run.SkipWithError("a move step was never composed");
            break;
        }
        bench::paintDamage(view);
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
    bench::GradientCanvas canvas;
    AppState& state = canvas.state;
    CanvasView& view = canvas.view;
    if (!canvas.open()) {
        run.SkipWithError("the first composition never arrived");
        return;
    }
    state.setCurrentTool(tool);
    view.repaint();
    auto pointAt = [&](int i) { return canvas.at(path(double(i) / steps)); };
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
    return bench::runBenchmarks<QApplication>(argc, argv);
}
