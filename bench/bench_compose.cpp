// Composition speed for a 2880 x 1800 pixel screenshot at ratio 2 (a HiDPI
// capture of 1440 x 900 points) with the default styling on a gradient:
// canvas 3136 x 2056 pixels.
#include "model/gradient_preset.h"
#include "render/image_processor.h"
#include "screenshot_fixture.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

BeautySettings defaultStyling()
{
    BeautySettings settings;
    settings.gradientPresetId = gradientPresets().at(1).id;
    return settings;
}

// Composes on every iteration with a styling change (as a slider drag does),
// so the kept base layer never applies and everything is composed again.
void composeWithStylingChanges(benchmark::State& state, BeautySettings settings)
{
    const QImage screenshot = bench::makeScreenshot();
    ImageProcessor processor;
    int round = 0;
    for (auto _ : state) {
        settings.shadowOpacity = (++round % 2) ? 0.25f : 0.26f;
        QImage out = processor.process(screenshot, settings, {}, {}, {});
        benchmark::DoNotOptimize(out.constBits());
    }
}

void BM_FullComposition(benchmark::State& state)
{
    composeWithStylingChanges(state, defaultStyling());
}
BENCHMARK(BM_FullComposition)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// A new processor every time: nothing kept, every buffer freshly mapped.
void BM_FullCompositionColdProcessor(benchmark::State& state)
{
    const QImage screenshot = bench::makeScreenshot();
    const BeautySettings settings = defaultStyling();
    for (auto _ : state) {
        ImageProcessor processor;
        QImage out = processor.process(screenshot, settings, {}, {}, {});
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_FullCompositionColdProcessor)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The same with a 16:9 canvas: the screenshot lands between pixels and is
// resampled into place, the slower path.
void BM_FullCompositionWidened(benchmark::State& state)
{
    BeautySettings settings = defaultStyling();
    settings.canvasPresetId = QStringLiteral("16:9");
    composeWithStylingChanges(state, settings);
}
BENCHMARK(BM_FullCompositionWidened)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_OverlayRecomposition(benchmark::State& state)
{
    const QImage screenshot = bench::makeScreenshot();
    const BeautySettings settings = defaultStyling();
    ImageProcessor processor;
    QList<ShapeOverlay> shapes(2);
    shapes[1].shapeType = ShapeType::arrow;
    QList<TextOverlay> texts(1);
    QImage shown = processor.process(screenshot, settings, texts, shapes, {});
    int round = 0;
    for (auto _ : state) {
        // One step of a shape drag; the previous result stays on screen
        // (held) until the new one replaces it.
        shapes[0].endPoint.x = 0.6 + 0.001 * (++round % 100);
        shown = processor.process(screenshot, settings, texts, shapes, {});
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_OverlayRecomposition)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// One step of a drag of a pixelate area of 1000 x 600 points (2000 x 1200
// pixels at ratio 2) over the screenshot: the area's pixels are restored,
// averaged in 12-point cells and written back.
void BM_PixelateRecomposition(benchmark::State& state)
{
    const QImage screenshot = bench::makeScreenshot();
    const BeautySettings settings = defaultStyling();
    ImageProcessor processor;
    QImage shown = processor.process(screenshot, settings, {}, {}, {});
    const QSizeF canvas = QSizeF(shown.size()) / shown.devicePixelRatio();
    ShapeOverlay pixelate = freshShape(ShapeType::pixelate);
    const double width = 1000 / canvas.width(), height = 600 / canvas.height();
    int round = 0;
    for (auto _ : state) {
        const double x = 0.1 + 0.0005 * (++round % 100);
        pixelate.startPoint = {x, 0.2};
        pixelate.endPoint = {x + width, 0.2 + height};
        shown = processor.process(screenshot, settings, {}, {pixelate}, {});
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_PixelateRecomposition)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    return lustrelab::bench::runBenchmarks(argc, argv);
}
