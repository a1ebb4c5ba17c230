// Stitching ten 2880 x 1800 frames that overlap by 80 %, as a 2x screen
// scrolling a long page gives them (sticky header and footer, a blinking
// cursor). Multi-threaded (the rows are hashed on every core): read the
// real-time column.
//   build/bench/bench_stitch --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "render/image_stitcher.h"
#include "scrolled_page.h"

#include <benchmark/benchmark.h>

namespace {

void stitchTenFrames(benchmark::State& state)
{
    constexpr int width = 2880, height = 1800, ratio = 2, frames = 10;
    const int step = height / 5; // 80 % of each frame is in the one before
    lustrelab::test::ScrolledView view =
        lustrelab::test::scrolledView(width, 1, 1, ratio, true); // bars only; the page follows
    const int viewRows = height - view.headerRows() - view.footerRows();
    view.viewRows = viewRows;
    view.page = lustrelab::test::drawnPage(width, viewRows + (frames - 1) * step, ratio);
    view.cursor = QRect(400, viewRows / 2, 2 * ratio, 16 * ratio);
    QList<QImage> images = view.frames(step);
    for (QImage& image : images)
        image.setDevicePixelRatio(ratio);
    if (images.size() != frames) {
        state.SkipWithError("the page did not give ten frames");
        return;
    }
    const int pageRows = view.whole().height();
    for (auto _ : state) {
        const lustrelab::StitchResult result = lustrelab::stitchImages(images);
        if (!result.ok() || result.image.height() != pageRows) {
            state.SkipWithError("the frames did not stitch into the page");
            return;
        }
        benchmark::DoNotOptimize(result.image.constBits());
    }
}

} // namespace

BENCHMARK(stitchTenFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
