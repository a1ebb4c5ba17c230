// A project of a 2880 x 1800 screenshot: opened to the composed image a new
// tab shows (read, decode, compose from nothing), and saved (encode the
// screenshot and the preview, write the archive atomically). Medians:
//   build/bench/bench_project --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
#include "io/project_file.h"
#include "model/gradient_preset.h"
#include "render/image_processor.h"
#include "screenshot_fixture.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lustrelab;

namespace {

Document benchDocument()
{
    Document d;
    d.screenshot = bench::makeScreenshot();
    d.devicePixelRatio = 2;
    d.settings.gradientPresetId = gradientPresets().front().id;
    d.settings.deviceFrameId = QStringLiteral("none");
    ShapeOverlay arrow = freshShape(ShapeType::arrow);
    arrow.startPoint = {0.2, 0.3};
    arrow.endPoint = {0.6, 0.7};
    TextOverlay text;
    text.text = QStringLiteral("Look here");
    text.position = {0.3, 0.8};
    StepMarker marker;
    marker.position = {0.7, 0.4};
    d.annotations.shapeOverlays = {arrow, freshShape(ShapeType::rectangle)};
    d.annotations.textOverlays = {text};
    d.annotations.stepMarkers = {marker};
    return d;
}

QImage compose(ImageProcessor& processor, const Document& d)
{
    return processor.compose(d.screenshot, d.settings, d.annotations);
}

void BM_OpenProject(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.lustrelab"));
    const Document document = benchDocument();
    ImageProcessor first;
    if (!saveProject(path, document, compose(first, document)))
        state.SkipWithError("the project was not saved");
    for (auto _ : state) {
        std::optional<ProjectContents> project = readProjectFile(path);
        if (!project) {
            state.SkipWithError("the project did not open");
            break;
        }
        ImageProcessor processor; // a new tab composes from nothing
        const QImage composed = compose(processor, project->document);
        benchmark::DoNotOptimize(composed.constBits());
    }
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveProject(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.lustrelab"));
    const Document document = benchDocument();
    ImageProcessor processor;
    const QImage styled = compose(processor, document); // the tab has it already
    for (auto _ : state) {
        if (!saveProject(path, document, styled)) {
            state.SkipWithError("the project was not saved");
            break;
        }
    }
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
