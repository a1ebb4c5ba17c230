// Reading a 2880 x 1800 screenshot file, as the window does when it is
// started with one or one is dropped on it: the file's PNG decoded into the
// premultiplied pixels the composition takes.
#include "io/image_decoder.h"
#include "screenshot_fixture.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

void BM_DecodeScreenshotFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const ImageSource source = bench::screenshotFile(dir);
    for (auto _ : state) {
        const QImage image = decodeImage(source);
        if (image.isNull())
            state.SkipWithError("the screenshot did not decode");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DecodeScreenshotFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
