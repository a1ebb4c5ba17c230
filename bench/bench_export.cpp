// Export speed for the composed default styling of a 2880 x 1800 pixel HiDPI
// screenshot: a 3136 x 2056 pixel canvas written at scale 1.
#include "io/export_service.h"
#include "model/gradient_preset.h"
#include "render/image_processor.h"
#include "screenshot_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

QImage composed()
{
    BeautySettings settings;
    settings.gradientPresetId = gradientPresets().at(1).id;
    ImageProcessor processor;
    return processor.process(bench::makeScreenshot(), settings);
}

void exportAs(benchmark::State& state, ExportFormat format, const char* name)
{
    const QImage image = composed();
    const QString path = QDir::temp().filePath(QString::fromLatin1(name));
    ExportService service;
    for (auto _ : state) {
        const ExportService::Result result = service.saveToFile(image, path, format, 1.0);
        if (!result.written)
            state.SkipWithError(qPrintable(result.error));
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
    QFile::remove(path);
}

void BM_ExportPng(benchmark::State& state)
{
    exportAs(state, ExportFormat::png, "lustrelab-bench.png");
}
BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_ExportJpeg(benchmark::State& state)
{
    exportAs(state, ExportFormat::jpeg, "lustrelab-bench.jpeg");
}
BENCHMARK(BM_ExportJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    return lustrelab::bench::runBenchmarks(argc, argv);
}
