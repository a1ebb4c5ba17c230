// The capture paths, on a 2880 x 1800 screenshot:
//   BM_CaptureCommandToClipboard  `lustrelab capture screen --copy`, from the
//       process start until it exits, which it does once the styled image is
//       offered on the clipboard by the holder it leaves behind. Needs an X
//       server: run under `xvfb-run -a`; the executable is LUSTRELAB_BINARY,
//       else ./lustrelab beside the benchmark's build folder.
//   BM_CaptureToComposedTab       in the window's model, from the moment the
//       capture tool has written its file until the capture is composed in
//       its new tab (what the canvas then shows).
#include "io/capture_backend.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <optional>

using namespace lustrelab;

namespace {

QString binary()
{
    const QString given = qEnvironmentVariable("LUSTRELAB_BINARY");
    if (!given.isEmpty())
        return given;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lustrelab"));
}

void BM_CaptureCommandToClipboard(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X server: run under xvfb-run -a");
        return;
    }
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    bench::makeScreenshot().save(png);
    // A tool that is done at once: it links the prepared screen into place.
    QFile tool(dir.filePath(QStringLiteral("screencapture")));
    tool.open(QIODevice::WriteOnly);
    tool.write("#!/bin/sh\nfor out; do :; done\nexec ln -s '" + png.toUtf8() + "' \"$out\"\n");
    tool.setPermissions(tool.permissions() | QFile::ExeOwner);
    tool.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), dir.path() + u':' + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"), QStringLiteral("screencapture"));
    environment.insert(QStringLiteral("HOME"), dir.path());
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (auto _ : state) {
        QProcess capture;
        capture.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        capture.start(binary(), {QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("--copy")});
        if (!capture.waitForFinished(30000) || capture.exitCode() != 0) {
            state.SkipWithError(capture.readAllStandardError().constData());
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        // Taking the clipboard ends the holder, so rounds do not pile up.
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                QStringLiteral("echo | xclip -selection clipboard")});
    }
}
BENCHMARK(BM_CaptureCommandToClipboard)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Links the prepared PNG into place and notes when, as a tool would exit.
class LinkingBackend : public CaptureBackend
{
  public:
    explicit LinkingBackend(QString png) : m_png(std::move(png)) {}
    QString name() const override { return QStringLiteral("link"); }
    void capture(CaptureMode, const QString& path, Done done) override
    {
        QFile::link(m_png, path);
        exited.start();
        done({});
    }
    QElapsedTimer exited;

  private:
    QString m_png;
};

void BM_CaptureToComposedTab(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    bench::makeScreenshot().save(png);
    AppState app(dir.path());
    auto* backend = new LinkingBackend(png);
    app.screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(backend));
    for (auto _ : state) {
        const qsizetype tabs = app.tabs().size();
        app.startFullScreenCapture();
        const auto composed = [&] {
            return app.tabs().size() > tabs && app.currentTab()->processedImage && !app.isProcessing();
        };
        while (!composed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(backend->exited.nsecsElapsed()) / 1e9);
        app.closeTab(app.currentTab()->id);
    }
}
BENCHMARK(BM_CaptureToComposedTab)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
