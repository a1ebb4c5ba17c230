// The capture paths, on a 2880 x 1800 screenshot:
//   BM_CaptureCommandToClipboard  `lustrelab capture screen --copy` on a
//       HiDPI screen (QT_SCALE_FACTOR=2), from the process start until the
//       styled image is offered on the clipboard, as another program sees it
//       (the clipboard's X owner changes, watched over one connection every
//       millisecond, so that the watching costs the command no cores; each
//       round then checks with xclip that image/png is offered); counter
//       exit_ms: until the command returned,
//       its holder having taken over. Needs an X server: run under
//       `xvfb-run -a -s "-screen 0 2880x1800x24"`; the executable is
//       LUSTRELAB_BINARY, else ./lustrelab beside the benchmark's build folder.
//   BM_CaptureToComposedTab       in the window's model, from the moment the
//       capture tool has written its file until the capture is composed in
//       its new tab (what the canvas then shows).
#include "linking_backend.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <optional>
#include <xcb/xcb.h>

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
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    static constexpr char clipboardName[] = "CLIPBOARD";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, sizeof clipboardName - 1, clipboardName), nullptr);
    const xcb_atom_t clipboard = atom ? atom->atom : XCB_NONE;
    free(atom);
    const auto owner = [&] {
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, clipboard), nullptr);
        const xcb_window_t window = reply ? reply->owner : XCB_NONE;
        free(reply);
        return window;
    };
    const auto offersPng = [] {
        QProcess targets;
        targets.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", "TARGETS"});
        targets.waitForFinished(2000);
        return targets.readAllStandardOutput().contains("image/png");
    };
    // Taking the clipboard ends the holder of the previous round.
    const auto takeClipboard = [] {
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("echo | xclip -selection clipboard")});
    };
    double exitMs = 0;
    for (auto _ : state) {
        takeClipboard();
        // xclip's background half takes the clipboard a moment after it returns.
        while (owner() == XCB_NONE || offersPng())
            QThread::msleep(2);
        const xcb_window_t before = owner();
        QProcess capture;
        capture.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        capture.start(binary(),
                      {QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("--copy")});
        while (owner() == before && !timer.hasExpired(30000))
            QThread::usleep(1000);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!offersPng()) {
            state.SkipWithError("the new owner of the clipboard offers no image/png");
            return;
        }
        if (!capture.waitForFinished(30000) || capture.exitCode() != 0) {
            state.SkipWithError(capture.readAllStandardError().constData());
            return;
        }
        exitMs += timer.nsecsElapsed() / 1e6;
    }
    takeClipboard();
    xcb_disconnect(x);
    state.counters["exit_ms"] = benchmark::Counter(exitMs / double(state.iterations()));
}
BENCHMARK(BM_CaptureCommandToClipboard)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_CaptureToComposedTab(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    bench::makeScreenshot().save(png);
    AppState app(dir.path());
    auto* backend = new bench::LinkingBackend(png);
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
