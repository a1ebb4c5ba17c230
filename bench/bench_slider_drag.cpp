// Dragging a styling slider (shadow Blur, Corner Radius, Padding) over a
// 2880 x 1800 screenshot at ratio 2 on the gradient, with the canvas beside
// the sidebar as in the window: mouse events on the real slider, and each
// step waits until the composition it asked for is stored and the canvas has
// painted what it damaged. Steps per second are frames per second; run with
// QT_SCALE_FACTOR=2 for a HiDPI screen. The "removal" cases add a 600 x 300
// point removal area over the lines of text.
//
// Letting go composes at full resolution; that last composition is not timed.
#include "canvas_fixture.h"
#include "slider_handle.h"
#include "ui/right_sidebar.h"
#include "ui/slider_row.h"

#include <QApplication>
#include <QSlider>
#include <benchmark/benchmark.h>

using namespace lustrelab;
using bench::shownKey;

namespace {

void sliderDrag(benchmark::State& run, const char* sliderName, bool withRemovalArea)
{
    QTemporaryDir templates;
    AppState state(templates.path());
    BeautySettings settings;
    settings.gradientPresetId = gradientPresets().at(1).id;
    settings.cornerRadius = 12;
    state.setSettings(settings);
    state.setCornersCollapsed(false);
    state.setShadowCollapsed(false);
    state.setPaddingCollapsed(false);

    CanvasView view(state);
    view.resize(1280, 800);
    view.show();
    RightSidebar sidebar(state);
    sidebar.resize(280, 1000);
    sidebar.show();
    if (!QTest::qWaitForWindowExposed(&view) || !QTest::qWaitForWindowExposed(&sidebar)) {
        run.SkipWithError("the window never showed");
        return;
    }
    state.loadImage(bench::makeScreenshot(), false);
    if (!bench::waitForComposition(state, 0)) {
        run.SkipWithError("the first composition never arrived");
        return;
    }
    if (withRemovalArea) {
        const QSizeF points = state.currentTab()->processedImage->deviceIndependentSize();
        state.addRemovalArea({0.45, 0.5, 600 / points.width(), 300 / points.height()},
                             RemovalMethod::contentAware);
        if (!bench::waitForComposition(state, shownKey(state))) {
            run.SkipWithError("the removal area was never composed");
            return;
        }
    }
    view.repaint();

    auto* row = sidebar.findChild<SliderRow*>(QString::fromLatin1(sliderName));
    auto* slider = row ? row->findChild<QSlider*>(QStringLiteral("slider")) : nullptr;
    if (!slider) {
        run.SkipWithError("the styling pane has no such slider");
        return;
    }
    if (!slider->isVisible()) {
        run.SkipWithError("the slider is not shown");
        return;
    }
    const QPoint grab = test::sliderHandleRect(slider).center();
    const int reach = slider->width() / 3;
    QTest::mousePress(slider, Qt::LeftButton, {}, grab);

    const BeautySettings before = state.settings();
    int offset = 0;
    int direction = 1;
    for (auto _ : run) {
        // A pixel of pointer travel need not change the value (a slider wider
        // than its range), and an unchanged value composes nothing: move on
        // until the value changes, as a user's drag does between frames.
        const qint64 shown = shownKey(state);
        const int value = slider->value();
        for (int moved = 0; slider->value() == value && moved < reach; ++moved) {
            if (std::abs(offset + direction) > reach)
                direction = -direction;
            offset += direction;
            QTest::mouseMove(slider, grab + QPoint(offset, 0));
        }
        if (!bench::waitForComposition(state, shown)) {
            run.SkipWithError("a drag step composed nothing");
            break;
        }
        bench::paintDamage(view);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, grab + QPoint(offset, 0));
    if (state.settings() == before && offset != 0)
        run.SkipWithError("the drag did not reach the styling");
    bench::waitForComposition(state, shownKey(state));
    run.counters["fps"] = benchmark::Counter(double(run.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(sliderDrag, blur, "blur", false)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK_CAPTURE(sliderDrag, cornerRadius, "cornerRadius", false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);
BENCHMARK_CAPTURE(sliderDrag, padding, "size", false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);
BENCHMARK_CAPTURE(sliderDrag, blur_removal, "blur", true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);
BENCHMARK_CAPTURE(sliderDrag, cornerRadius_removal, "cornerRadius", true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);
BENCHMARK_CAPTURE(sliderDrag, padding_removal, "size", true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks<QApplication>(argc, argv);
}
