// How long the UI thread is kept from its event loop by one pointer step of a
// drag on the real canvas (1280 x 800 points, shown) over the 2880 x 1800
// screenshot at ratio 2: moving a shape, a pen stroke, drawing a removal area,
// and the Blur, Corner Radius and Padding sliders of the real styling
// sidebar. Every case runs without and with ("_removal") a 600 x 300 point
// removal area over the lines of text; run with QT_SCALE_FACTOR=2 for a
// HiDPI screen as well.
//
// A step is the pointer move (for the slider, as many moves as change its
// value), then the event loop until what it asked for is composed, when it
// composes, and the canvas has painted it. What the time and the counters
// mean is told in ui_thread_timing.h; call_ms here is only the delivery of
// the moves, which the events' own times already include.
#include "canvas_fixture.h"
#include "slider_handle.h"
#include "ui/right_sidebar.h"
#include "ui/slider_row.h"
#include "ui_thread_timing.h"

#include <QSlider>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace lustrelab;
using bench::shownKey;

namespace {

// Counts the canvas's paints, and how many there had been when a composition
// was last stored, so that a step can wait for the paint that shows it.
class Frames : public QObject
{
  public:
    Frames(CanvasView& view, AppState& state)
    {
        view.installEventFilter(this);
        connect(&state, &AppState::tabsChanged, this, [this] { paintsAtStore = paints; });
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

    int paints = 0;
    int paintsAtStore = 0;
};

// The canvas with the screenshot composed, and the removal area if asked for.
struct Scene
{
    bench::GradientCanvas canvas;
    Frames frames{canvas.view, canvas.state};
    const char* failure = nullptr;

    explicit Scene(bool withRemovalArea)
    {
        if (!canvas.open())
            failure = "the first composition never arrived";
        else if (withRemovalArea && !canvas.addRemovalArea())
            failure = "the removal area was never composed";
    }

    // Times one pointer step per round: `move` delivers it; `composes` says
    // whether it asks for a composition. `restart` runs untimed before each
    // round, to let go and begin a new drag.
    void drag(benchmark::State& run, bool composes, const std::function<void()>& move,
              const std::function<void()>& restart = {})
    {
        if (failure) {
            run.SkipWithError(failure);
            return;
        }
        AppState& state = canvas.state;
        qint64 before = 0;
        int paintsBefore = 0;
        bench::measure(
            run, state,
            [&] {
                before = shownKey(state);
                paintsBefore = frames.paints;
                move();
            },
            [&] {
                return !state.isProcessing() && (!composes || shownKey(state) != before) &&
                       frames.paints > std::max(paintsBefore, frames.paintsAtStore);
            },
            restart, false);
    }

    // Lets go at `end`, composes what the drag left, and removes it again by
    // `undo`; false when a composition never came.
    bool finishDrag(QPoint end, const std::function<void()>& undo)
    {
        const qint64 before = shownKey(canvas.state);
        QTest::mouseRelease(&canvas.view, Qt::LeftButton, {}, end);
        bench::waitForComposition(canvas.state, before);
        undo();
        canvas.state.processImage();
        return bench::settle(canvas.state);
    }
};

// A brisk shape move; every step composes the shape at its new place.
void shapeMove(benchmark::State& run, bool withRemovalArea)
{
    Scene scene(withRemovalArea);
    if (!scene.failure && !scene.canvas.addArrow())
        scene.failure = "the arrow was never composed";
    const QPoint grab = scene.failure ? QPoint() : scene.canvas.arrowGrab();
    QTest::mousePress(&scene.canvas.view, Qt::LeftButton, {}, grab);
    int step = 0;
    scene.drag(run, true,
               [&] { QTest::mouseMove(&scene.canvas.view, grab + bench::briskDragOffset(step++)); });
    QTest::mouseRelease(&scene.canvas.view, Qt::LeftButton, {}, grab);
}
BENCHMARK_CAPTURE(shapeMove, plain, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);
BENCHMARK_CAPTURE(shapeMove, removal, true)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// A drag with a drawing tool along `path` (unit coordinates of the image, `t`
// from 0 to 1) in `steps` pointer steps; then it is let go, what it drew is
// composed and taken away again (untimed), and a new drag begins.
template <typename Path>
void toolDrag(benchmark::State& run, bool withRemovalArea, CanvasTool tool, int steps, Path path)
{
    Scene scene(withRemovalArea);
    AppState& state = scene.canvas.state;
    CanvasView& view = scene.canvas.view;
    state.setCurrentTool(tool);
    const QList<RemovalArea> areas =
        state.currentTab() ? state.currentTab()->annotations().removalAreas : QList<RemovalArea>();
    auto pointAt = [&](int i) { return scene.failure ? QPoint() : scene.canvas.at(path(double(i) / steps)); };
    int step = 0;
    // The press and a first move past the canvas's drag threshold (two steps
    // of either path are), before which a removal drag draws nothing; untimed.
    auto begin = [&] {
        QTest::mousePress(&view, Qt::LeftButton, {}, pointAt(0));
        step = 2;
        QTest::mouseMove(&view, pointAt(step));
    };
    begin();
    scene.drag(
        run, false, [&] { QTest::mouseMove(&view, pointAt(++step)); },
        [&] {
            if (step < steps)
                return;
            if (!scene.finishDrag(pointAt(step), [&] {
                    state.setCurrentPenStrokes({});
                    state.setCurrentRemovalAreas(areas);
                }))
                run.SkipWithError("a finished drag was never composed");
            begin();
        });
    QTest::mouseRelease(&view, Qt::LeftButton, {}, pointAt(step));
}

// A pen stroke: 2 s at 120 Hz (240 steps) of loops across the image.
void penStroke(benchmark::State& run, bool withRemovalArea)
{
    toolDrag(run, withRemovalArea, CanvasTool::pen, 240, [](double t) {
        t *= 2;
        const double radius = 0.08 + 0.04 * std::sin(3 * t);
        return QPointF(0.2 + 0.25 * t + radius * std::cos(3 * M_PI * t),
                       0.5 + radius * std::sin(3 * M_PI * t));
    });
}
BENCHMARK_CAPTURE(penStroke, plain, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(480);
BENCHMARK_CAPTURE(penStroke, removal, true)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(480);

// A removal area opened above the one that may be there, 60 steps a drag.
void removalDrag(benchmark::State& run, bool withRemovalArea)
{
    toolDrag(run, withRemovalArea, CanvasTool::remove, 60,
             [](double t) { return QPointF(0.3 + 0.24 * t, 0.3 + 0.18 * t); });
}
BENCHMARK_CAPTURE(removalDrag, plain, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(240);
BENCHMARK_CAPTURE(removalDrag, removal, true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(240);

// A styling slider (shadow Blur, Corner Radius, Padding) of the styling
// sidebar, beside the canvas as in the window, dragged back and forth over a
// third of its width.
void sliderDrag(benchmark::State& run, const char* sliderName, bool withRemovalArea)
{
    Scene scene(withRemovalArea);
    AppState& state = scene.canvas.state;
    state.setCornersCollapsed(false);
    state.setShadowCollapsed(false);
    state.setPaddingCollapsed(false);
    RightSidebar sidebar(state);
    sidebar.resize(280, 1000);
    sidebar.show();
    auto* row = sidebar.findChild<SliderRow*>(QString::fromLatin1(sliderName));
    auto* slider = row ? row->findChild<QSlider*>(QStringLiteral("slider")) : nullptr;
    if (!QTest::qWaitForWindowExposed(&sidebar) || !slider || !slider->isVisible()) {
        run.SkipWithError("the slider is not shown");
        return;
    }
    const QPoint grab = test::sliderHandleRect(slider).center();
    const int reach = slider->width() / 3;
    int offset = 0;
    int direction = 1;
    QTest::mousePress(slider, Qt::LeftButton, {}, grab);
    scene.drag(run, true, [&] {
        // A pixel of travel need not change the value, and an unchanged
        // value composes nothing: move on until it changes, as a user's
        // drag does between frames.
        const int value = slider->value();
        for (int moved = 0; slider->value() == value && moved < 2 * reach; ++moved) {
            if (std::abs(offset + direction) > reach)
                direction = -direction;
            offset += direction;
            QTest::mouseMove(slider, grab + QPoint(offset, 0));
        }
    });
    QTest::mouseRelease(slider, Qt::LeftButton, {}, grab + QPoint(offset, 0));
}
#define SLIDER_DRAG(label, name, removal)                                                                    \
    BENCHMARK_CAPTURE(sliderDrag, label, name, removal)                                                      \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->UseManualTime()                                                                                    \
        ->Iterations(120)
SLIDER_DRAG(blur, "blur", false);
SLIDER_DRAG(blur_removal, "blur", true);
SLIDER_DRAG(cornerRadius, "cornerRadius", false);
SLIDER_DRAG(cornerRadius_removal, "cornerRadius", true);
SLIDER_DRAG(padding, "size", false);
SLIDER_DRAG(padding_removal, "size", true);
#undef SLIDER_DRAG

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks<bench::TimedApplication>(argc, argv);
}
