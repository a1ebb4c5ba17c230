// How long the UI thread is kept from its event loop by the window's image
// work on a 2880 x 1800 screenshot at ratio 2, through the model's calls the
// window makes: composing after an edit (with a 600 x 300 pixel removal area
// present), opening a capture, exporting, pasting a PNG from the clipboard and
// dropping a PNG file. bench_ui_thread_canvas does the same for drags on the
// real canvas and sidebar. What the time and the counters mean is told in
// ui_thread_timing.h.
#include "linking_backend.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"
#include "ui_thread_timing.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>

using namespace lustrelab;
using bench::measure;
using bench::settle;

namespace {

// The screenshot with a shape and a 600 x 300 pixel removal area, composed once.
struct Document
{
    QTemporaryDir dir;
    AppState state{dir.path()};
    ShapeOverlay shape;

    Document()
    {
        state.loadImage(bench::makeScreenshot(), false);
        state.addShapeOverlay(ShapeType::rectangle);
        shape = state.currentShapeOverlays().constFirst();
        // The canvas is about 3136 x 2056 pixels around the 2880 x 1800 shot.
        state.addRemovalArea({0.3, 0.4, 600.0 / 3136, 300.0 / 2056}, RemovalMethod::contentAware);
        settle(state);
    }
};

qint64 composedKey(const AppState& state)
{
    const ScreenshotTab* tab = state.currentTab();
    return tab && tab->processedImage ? tab->processedImage->cacheKey() : 0;
}

// One pointer step of a shape being moved: the base layer is kept.
void BM_MoveShapeStep(benchmark::State& state)
{
    Document document;
    int step = 0;
    measure(
        state, document.state,
        [&] {
            ShapeOverlay moved = document.shape;
            moved.startPoint.x += (++step % 10) * 0.002;
            moved.endPoint.x += (step % 10) * 0.002;
            document.state.updateShapeOverlay(moved);
        },
        [&] { return !document.state.isProcessing(); });
}
BENCHMARK(BM_MoveShapeStep)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// A styling change: everything, the removal fill included, is composed again.
void BM_StylingChange(benchmark::State& state)
{
    Document document;
    int step = 0;
    measure(
        state, document.state,
        [&] {
            BeautySettings settings = document.state.settings();
            settings.shadowOpacity = (++step % 2) ? 0.25f : 0.26f;
            document.state.setSettings(settings);
            document.state.processImage();
        },
        [&] { return !document.state.isProcessing(); });
}
BENCHMARK(BM_StylingChange)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// From the start of a full-screen capture until its tab opens; the settle
// delay is a timer, so it costs the UI thread nothing.
void BM_CaptureUntilTabOpens(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    bench::makeScreenshot().save(png);
    AppState app(dir.path());
    app.screenCaptureService().setBackend(std::make_unique<bench::LinkingBackend>(png));
    qsizetype tabs = 0;
    measure(
        state, app,
        [&] {
            tabs = app.tabs().size();
            app.startFullScreenCapture();
        },
        [&] { return app.tabs().size() > tabs; });
    settle(app);
}
BENCHMARK(BM_CaptureUntilTabOpens)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

// Exporting the composed image at scale 2 as PNG.
void BM_ExportAtScale2(benchmark::State& state)
{
    Document document;
    const QUrl destination = QUrl::fromLocalFile(document.dir.filePath(QStringLiteral("out.png")));
    bool finished = false;
    QObject::connect(&document.state, &AppState::exportFinished, [&] { finished = true; });
    measure(
        state, document.state,
        [&] {
            finished = false;
            document.state.exportImageInBackground(destination, ExportFormat::png, 2.0);
        },
        [&] { return finished; });
}
BENCHMARK(BM_ExportAtScale2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// The screenshot as a screenshot tool hands it over: PNG bytes.
QByteArray screenshotPng()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    bench::makeScreenshot().save(&buffer, "png");
    return png;
}

// From the window's Paste with a PNG on the clipboard until the tab's new
// composition is stored: reading the clipboard, decoding and composing.
void BM_PasteUntilComposed(benchmark::State& state)
{
    QTemporaryDir dir;
    AppState app(dir.path());
    app.loadImage(bench::makeScreenshot(), false);
    const QByteArray png = screenshotPng();
    qint64 before = 0;
    measure(
        state, app,
        [&] {
            before = composedKey(app);
            app.pasteImage();
        },
        [&] { return !app.isProcessing() && composedKey(app) != before; },
        [&] {
            auto* mime = new QMimeData; // the clipboard owns it
            mime->setData(QStringLiteral("image/png"), png);
            QGuiApplication::clipboard()->setMimeData(mime);
        });
}
BENCHMARK(BM_PasteUntilComposed)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// From a PNG file dropped on the window until its new tab is composed. One
// dropped tab at a time: the one before is closed first, untimed.
void BM_DropUntilComposed(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dropped.png"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(screenshotPng()) <= 0) {
        state.SkipWithError("cannot write the screenshot file");
        return;
    }
    out.close();
    AppState app(dir.path());
    app.loadImage(bench::makeScreenshot(), false);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    qsizetype tabs = 0;
    measure(
        state, app,
        [&] {
            tabs = app.tabs().size();
            if (!app.dropMimeData(mime))
                state.SkipWithError("the drop was refused");
        },
        [&] { return app.tabs().size() > tabs && !app.isProcessing() && composedKey(app) != 0; },
        [&] {
            if (app.tabs().size() > 1)
                app.closeTab(app.currentTab()->id);
        });
}
BENCHMARK(BM_DropUntilComposed)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks<bench::TimedApplication>(argc, argv);
}
