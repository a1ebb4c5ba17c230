// Removal fill on a busy (non-uniform) background, so the interpolating
// branch runs. Multi-threaded: read the real-time column.
//   build-rel/bench_removal --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "render/removal_fill.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace {

QImage busyBackground(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(x * 255 / width, y * 255 / height, (x < width / 2 ? 40 : 220) + (x * y) % 23));
    return image;
}

void fillRemovalAreaBusy(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const QImage image = busyBackground(width + 100, height + 100);
    const QRect area(50, 50, width, height);
    for (auto _ : state) {
        const QImage result = lustrelab::fillRemovalArea(image, area);
        benchmark::DoNotOptimize(result.constBits());
    }
}

} // namespace

BENCHMARK(fillRemovalAreaBusy)
    ->Args({300, 100})
    ->Args({600, 300})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
