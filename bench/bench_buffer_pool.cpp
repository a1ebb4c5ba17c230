// The canvas buffer pool between two compositions: how long a take costs when
// the memory of the buffer kept before serves the next size, and whether it
// did. The counter `reused` is the share of takes whose buffer starts where
// the kept one did: 1 for the same size, smaller, or larger within the room
// kept. Beyond the room the pool lets the old memory go, and the allocator may
// hand the same address out again, so there the time tells: fresh pages cost
// ten times as much.
//   build/bench/bench_buffer_pool --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include "render/image_buffer_pool.h"
#include "screenshot_fixture.h"

#include <QImage>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

// A 3136 x 2056 canvas kept, then one of the next size taken.
void BM_TakeAfterKeep(benchmark::State& state)
{
    const QSize first(3136, 2056);
    const QSize second(int(state.range(0)), int(state.range(1)));
    ImageBufferPool pool;
    double reused = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QImage out = pool.take(first, QImage::Format_ARGB32_Premultiplied);
        out.fill(0xff112233u);
        const uchar* memory = out.constBits();
        pool.keep(out);
        out = QImage();
        state.ResumeTiming();
        QImage next = pool.take(second, QImage::Format_ARGB32_Premultiplied);
        next.fill(0xff445566u); // the pages are touched, as a composition does
        benchmark::DoNotOptimize(next.constBits());
        reused += next.constBits() == memory ? 1 : 0;
    }
    state.counters["reused"] = benchmark::Counter(reused / double(state.iterations()));
}
BENCHMARK(BM_TakeAfterKeep)
    ->Args({3136, 2056})  // the same size: a Blur step
    ->Args({3100, 2020})  // a little smaller: Padding down
    ->Args({3176, 2096})  // a little larger: Padding up
    ->Args({6272, 4112})  // beyond the room kept
    ->Unit(benchmark::kMillisecond);

// One pass over the pixels of a preview the size a 2x screen shows (2290 x
// 1505): what any step that writes every shown pixel pays at least, once for
// the composition and once more for the paint. Memory-bound: a second core
// adds little.
void BM_CopyShownPixels(benchmark::State& state)
{
    QImage from(2290, 1505, QImage::Format_ARGB32_Premultiplied);
    from.fill(0xff336699u);
    QImage to(from.size(), from.format());
    for (auto _ : state) {
        copyPixels(from, to);
        benchmark::DoNotOptimize(to.constBits());
    }
    state.counters["GB_per_s"] = benchmark::Counter(double(from.sizeInBytes()) * double(state.iterations()) / 1e9,
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CopyShownPixels)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
