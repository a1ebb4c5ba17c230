// Dragging the shadow Blur slider of the styling pane over a 2880 x 1800
// screenshot at ratio 2: mouse events on the real widget, each step waiting
// until the composition it asked for is stored in the tab. The rate is the
// number of slider steps the window turns into finished images per second.
#include "render/image_processor.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"
#include "ui/right_sidebar.h"
#include "ui/slider_row.h"

#include <QApplication>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

// Sleeps in the event loop as the window does: a loop that spins while the
// worker composes takes a core from the composition's bands.
void settle(const AppState& state)
{
    while (state.isProcessing())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QRect handleRect(QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

void BM_ShadowBlurDrag(benchmark::State& bench)
{
    QTemporaryDir templates;
    AppState state(templates.path());
    state.loadImage(bench::makeScreenshot(), false);
    settle(state);

    RightSidebar sidebar(state);
    sidebar.resize(280, 1000);
    sidebar.show();
    if (!QTest::qWaitForWindowExposed(&sidebar)) {
        bench.SkipWithError("the sidebar never showed");
        return;
    }
    auto* blur = sidebar.findChild<SliderRow*>(QStringLiteral("blur"));
    auto* slider = blur ? blur->findChild<QSlider*>(QStringLiteral("slider")) : nullptr;
    if (!slider) {
        bench.SkipWithError("the styling pane has no Blur slider");
        return;
    }
    const QPoint grab = handleRect(slider).center();
    const int reach = slider->width() / 3;
    QTest::mousePress(slider, Qt::LeftButton, {}, grab);

    int offset = 0;
    int direction = 1;
    std::int64_t stored = 0;
    QObject::connect(&state, &AppState::tabsChanged, [&] { ++stored; });
    const double startBlur = state.settings().shadowBlur;
    for (auto _ : bench) {
        if (std::abs(offset + direction) > reach)
            direction = -direction;
        offset += direction;
        const std::int64_t before = stored;
        QTest::mouseMove(slider, grab + QPoint(offset, 0));
        settle(state);
        if (stored == before) {
            bench.SkipWithError("a drag step composed nothing");
            break;
        }
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, grab + QPoint(offset, 0));
    if (state.settings().shadowBlur == startBlur && offset != 0)
        bench.SkipWithError("the drag did not reach the styling");
    bench.counters["fps"] = benchmark::Counter(double(bench.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadowBlurDrag)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The same blur changes handed straight to the compositor: what the drag
// costs beyond composing (events, the model, the panels following it).
void BM_ShadowBlurComposeOnly(benchmark::State& bench)
{
    const QImage screenshot = bench::makeScreenshot();
    ImageProcessor processor;
    BeautySettings settings;
    int step = 0;
    for (auto _ : bench) {
        settings.shadowBlur = 40 + 0.39 * (++step % 80);
        QImage out = processor.process(screenshot, settings, {}, {}, {});
        benchmark::DoNotOptimize(out.constBits());
    }
    bench.counters["fps"] = benchmark::Counter(double(bench.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadowBlurComposeOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
