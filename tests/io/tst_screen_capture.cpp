// Screen capture through AppState, with fake tools on PATH that record how
// they were called.

#include "io/capture_backend_loader.h"
#include "io/process_capture_backend.h"
#include "io/screen_capture_service.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

enum class Outcome { image, none, unstartable };

class FakePresence : public ApplicationPresence
{
  public:
    void hideApplication() override { events.append(QStringLiteral("hide")); }
    void showApplication() override { events.append(QStringLiteral("show")); }
    QStringList events;
};

} // namespace

class TestScreenCapture : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedHome> m_env;

    // Until the service has finished every capture it started. The fake tools
    // end at once, so a capture still running after a few seconds never ends:
    // that is a failure here, not a hang until some far limit.
    static void waitForCapture(AppState& state)
    {
        QSignalSpy ended(&state.screenCaptureService(), &ScreenCaptureService::isCapturingChanged);
        QVERIFY(state.screenCaptureService().isCapturing());
        QVERIFY2(ended.wait(3000), "the capture did not end");
        QCOMPARE(ended.takeFirst(), QVariantList{false});
    }

    static void start(AppState& state, CaptureMode mode)
    {
        (state.*(mode == CaptureMode::region   ? &AppState::startRegionCapture
                 : mode == CaptureMode::window ? &AppState::startWindowCapture
                                               : &AppState::startFullScreenCapture))();
    }

  private slots:
    void initTestCase()
    {
        m_env = std::make_unique<IsolatedHome>();
        // No portal: the session bus of whoever runs the tests is not ours.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":99");
    }

    void capture_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("arguments"); // "PATH" stands for the temporary file
        QTest::addColumn<QString>("output");        // the start of the one line printed
        const auto row = [](const char* name, const char* tool, CaptureMode mode, Outcome outcome,
                            QStringList arguments, const char* output = "") {
            QTest::newRow(name) << QString::fromLatin1(tool) << mode << outcome << arguments
                                << QString::fromLatin1(output);
        };
        const CaptureMode region = CaptureMode::region, window = CaptureMode::window,
                          full = CaptureMode::fullScreen;
        row("screencapture region", "screencapture", region, Outcome::image, {"-i", "-x", "PATH"});
        row("screencapture window", "screencapture", window, Outcome::image, {"-w", "-o", "-x", "PATH"});
        row("screencapture full screen", "screencapture", full, Outcome::image, {"-m", "-x", "PATH"});
        row("selection cancelled", "screencapture", region, Outcome::none, {"-i", "-x", "PATH"});
        row("gnome-screenshot region", "gnome-screenshot", region, Outcome::image, {"--area", "--file=PATH"});
        row("maim full screen", "maim", full, Outcome::image, {"--hidecursor", "PATH"});
        row("import full screen", "import", full, Outcome::image, {"-silent", "-window", "root", "PATH"});
        row("tool cannot start", "screencapture", region, Outcome::unstartable, {},
            "Screen capture failed: ");
    }
    // The tool gets exactly its arguments with a fresh temporary PNG path; its
    // image opens in a new tab, anything else leaves the tabs alone; the
    // application hides and comes back, and no file is left behind. A tool
    // that cannot start prints one line with the system's reason.
    void capture()
    {
        QFETCH(QString, tool);
        QFETCH(CaptureMode, mode);
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        FakeTools tools;
        if (outcome == Outcome::unstartable)
            tools.addScript(tool, "#!/nonexistent/interpreter\n");
        else
            tools.addRecordingTool(tool, outcome == Outcome::none);
        AppState state(m_env->filePath(QStringLiteral("templates")));
        FakePresence presence;
        state.screenCaptureService().setPresence(&presence);
        const qsizetype tabs = state.tabs().size();

        test::StdoutCapture stdoutCapture;
        start(state, mode);
        waitForCapture(state);
        const QString printed = QString::fromLocal8Bit(stdoutCapture.text());
        if (QTest::currentTestFailed()) { // its message went to the captured stream
            qInfo("%s", qPrintable(printed));
            return;
        }

        QVERIFY2(output.isEmpty() ? printed.isEmpty()
                                  : printed.startsWith(output) && printed.size() > output.size() + 1 &&
                                        printed.indexOf(QLatin1Char('\n')) == printed.size() - 1,
                 qPrintable(printed));
        QCOMPARE(presence.events, QStringList({"hide", "show"}));
        QVERIFY(m_env->tempFiles().isEmpty());
        QCOMPARE(state.tabs().size(), outcome == Outcome::image ? tabs + 1 : tabs);
        if (outcome == Outcome::image)
            QCOMPARE(asArgb(state.currentTab()->document.screenshot), asArgb(patternImage(24, 16)));
        QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), arguments.isEmpty() ? 0 : 1);
        if (calls.isEmpty())
            return;
        const QString path = QString(calls[0].last()).remove(QStringLiteral("--file="));
        calls[0].last().replace(path, QStringLiteral("PATH"));
        QCOMPARE(calls[0], arguments);
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_env->tempPath()).absoluteFilePath());
    }

    // Without an override the first usable backend wins: the classic tool,
    // then (no portal here) the desktop tools, X11-only ones only on X11 and
    // grim only on Wayland; a forced name wins even when its tool is missing.
    void backendChoice_data()
    {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("chosen");
        const auto row = [](const char* name, QStringList onPath, bool wayland, const char* forced,
                            const char* chosen) {
            QTest::newRow(name) << onPath << wayland << QString::fromLatin1(forced)
                                << QString::fromLatin1(chosen);
        };
        row("classic tool first", {"maim", "screencapture"}, false, "", "screencapture");
        row("desktop tool before X11 tool", {"maim", "gnome-screenshot"}, false, "", "gnome-screenshot");
        row("X11 tool on X11", {"scrot", "maim"}, false, "", "maim");
        row("the X server's pixels where slop picks", {"maim", "slop"}, false, "", "x11");
        row("slop is no use on Wayland", {"slop", "grim", "slurp"}, true, "", "grim");
        row("X11 tool not on Wayland", {"maim"}, true, "", "none");
        row("grim with slurp on Wayland", {"maim", "grim", "slurp"}, true, "", "grim");
        row("grim alone is not enough", {"grim"}, true, "", "none");
        row("forced, tool missing", {"maim"}, false, "spectacle", "spectacle");
        row("unknown forced name falls back", {"maim"}, false, "bogus", "maim");
    }
    void backendChoice()
    {
        QFETCH(QStringList, onPath);
        QFETCH(bool, wayland);
        QFETCH(QString, forced);
        FakeTools tools;
        for (const QString& tool : onPath)
            tools.addScript(tool, "#!/bin/sh\nexit 0\n");
        if (wayland)
            qputenv("WAYLAND_DISPLAY", "wayland-test");
        if (!forced.isEmpty())
            qputenv("LUSTRELAB_CAPTURE_BACKEND", forced.toUtf8());
        std::unique_ptr<CaptureBackend> backend;
        QObject context;
        loadCaptureBackend(&context, [&](std::unique_ptr<CaptureBackend> b) { backend = std::move(b); });
        QTRY_VERIFY(backend); // the portal's turn is answered on the event loop
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        QTEST(backend->name(), "chosen");
    }

    void toolsGetNoInput_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QStringList>("grabbed"); // the arguments of the tool that writes the file
        // slurp offers the rectangles it reads from a standard input that is
        // not a terminal, and answers only at its end.
        QTest::newRow("grim, region chosen with slurp")
            << "grim" << CaptureMode::region << QStringList{"-g", "5,6 30x20", "PATH"};
        QTest::newRow("grim, window chosen with slurp")
            << "grim" << CaptureMode::window << QStringList{"-g", "5,6 30x20", "PATH"};
        QTest::newRow("a tool that reads its input")
            << "maim" << CaptureMode::fullScreen << QStringList{"--hidecursor", "PATH"};
    }
    // A tool that reads its standard input finds it empty, rather than waiting
    // for ever on a pipe the capture keeps open.
    void toolsGetNoInput()
    {
        QFETCH(QString, backend);
        QFETCH(CaptureMode, mode);
        FakeTools tools;
        tools.addRecordingTool(backend == u"grim" ? QStringLiteral("grim") : QStringLiteral("real-maim"));
        tools.addScript(QStringLiteral("slurp"), "#!/bin/sh\n/bin/cat >/dev/null\necho '5,6 30x20'\n");
        if (backend == u"maim")
            tools.addScript(QStringLiteral("maim"), "#!/bin/sh\n/bin/cat >/dev/null\nexec '" +
                                                        tools.filePath(QStringLiteral("real-maim")).toUtf8() +
                                                        "' \"$@\"\n");
        qputenv("LUSTRELAB_CAPTURE_BACKEND", backend.toUtf8());
        const auto unforce = qScopeGuard([] { qunsetenv("LUSTRELAB_CAPTURE_BACKEND"); });
        AppState state(m_env->filePath(QStringLiteral("templates")));
        const qsizetype tabs = state.tabs().size();
        start(state, mode);
        waitForCapture(state);
        QCOMPARE(state.tabs().size(), tabs + 1);
        QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), 1);
        calls[0].last() = QStringLiteral("PATH");
        QTEST(calls[0], "grabbed");
    }

    void whatToolsSay_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QByteArray>("tool"); // the script's body; empty: not installed
        QTest::addColumn<QString>("stderrText");
        QTest::addColumn<QString>("stdoutText"); // the failure line's text after its prefix
        QTest::newRow("a working tool's chatter is dropped")
            << "maim"
            << QByteArray("echo 'Failed to detect a compositor' >&2\n/bin/cp \"$sample\" \"$out\"\n") << ""
            << "";
        QTest::newRow("a failing tool says why")
            << "maim" << QByteArray("echo 'Cannot open display' >&2\nexit 1\n") << "Cannot open display\n"
            << "";
        QTest::newRow("forced, not installed: what to install")
            << "maim" << QByteArray() << ""
            << "maim is not installed; install the package maim (sudo apt install maim)";
        QTest::newRow("forced, not installed: the package of a differently named tool")
            << "import" << QByteArray() << ""
            << "import is not installed; install the package imagemagick (sudo apt install imagemagick)";
        QTest::newRow("slurp missing beside grim")
            << "grim" << QByteArray() << ""
            << "slurp is not installed; install the package slurp (sudo apt install slurp)";
    }
    // Standard error carries a tool's words only when they explain a failure;
    // a tool that is not there is named with the package to install.
    void whatToolsSay()
    {
        QFETCH(QString, backend);
        QFETCH(QByteArray, tool);
        QFETCH(QString, stdoutText);
        FakeTools tools;
        const QString sample = tools.filePath(QStringLiteral("sample.png"));
        QVERIFY(patternImage(8, 6).save(sample));
        if (!tool.isEmpty())
            tools.addScript(backend,
                            "#!/bin/sh\nsample='" + sample.toUtf8() + "'\nfor out; do :; done\n" + tool);
        if (backend == u"grim")
            tools.addRecordingTool(QStringLiteral("grim"));
        qputenv("LUSTRELAB_CAPTURE_BACKEND", backend.toUtf8());
        const auto unforce = qScopeGuard([] { qunsetenv("LUSTRELAB_CAPTURE_BACKEND"); });
        AppState state(m_env->filePath(QStringLiteral("templates")));

        QByteArray printed, said;
        {
            test::StdoutCapture out;
            test::StreamCapture err(stderr);
            state.startRegionCapture();
            waitForCapture(state);
            said = err.text();
            printed = out.text();
        }
        QTEST(QString::fromLocal8Bit(said), "stderrText");
        QCOMPARE(QString::fromLocal8Bit(printed),
                 stdoutText.isEmpty() ? QString() : "Screen capture failed: " + stdoutText + u'\n');
    }

    // Overlapping requests each get their own file; the flag stays up until
    // the last one is done.
    void twoCapturesInARow()
    {
        FakeTools tools;
        tools.addRecordingTool(QStringLiteral("screencapture"));
        AppState state(m_env->filePath(QStringLiteral("templates")));
        const qsizetype tabs = state.tabs().size();
        QSignalSpy capturing(&state.screenCaptureService(), &ScreenCaptureService::isCapturingChanged);

        state.startRegionCapture();
        state.startFullScreenCapture();
        waitForCapture(state);

        const QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].last() != calls[1].last());
        QVERIFY(m_env->tempFiles().isEmpty());
        QCOMPARE(state.tabs().size(), tabs + 2);
        QCOMPARE(capturing.size(), 2); // up once, down once
    }

    // A capture tool may hand its job to a copy already running and exit
    // before the file exists; the capture ends once the whole file is there.
    void captureEndsWithTheWholeFile_data()
    {
        QTest::addColumn<QByteArray>("tool"); // the script's body; $1 is the output path
        QTest::addColumn<bool>("image");
        QTest::newRow("written before the tool exits") << QByteArray("cp \"$sample\" \"$1\"\n") << true;
        QTest::newRow("written in two parts after the tool exits")
            << QByteArray("(head -c 200 \"$sample\" > \"$1\"; sleep 0.3; tail -c +201 \"$sample\" >> \"$1\")"
                          " >/dev/null 2>&1 &\nexit 0\n")
            << true;
        QTest::newRow("succeeds without a file") << QByteArray("exit 0\n") << false;
    }
    void captureEndsWithTheWholeFile()
    {
        QFETCH(QByteArray, tool);
        QFETCH(bool, image);
        FakeTools tools;
        const QString sample = tools.filePath(QStringLiteral("sample.png"));
        QVERIFY(patternImage(64, 48).save(sample));
        tools.addScript(QStringLiteral("tool"),
                        "#!/bin/sh\nPATH=/usr/bin:/bin\nsample='" + sample.toUtf8() + "'\n" + tool);
        const QByteArray sampleBytes = test::readFile(sample);
        QVERIFY(sampleBytes.size() > 400);
        ProcessCaptureBackend backend(QStringLiteral("tool"), tools.filePath(QStringLiteral("tool")),
                                      [](CaptureMode, const QString& path) { return QStringList{path}; });
        backend.setHandOffWait(std::chrono::milliseconds(1000));
        const QString path = tools.filePath(QStringLiteral("capture.png"));

        int calls = 0;
        QByteArray atEnd;
        backend.capture(CaptureMode::fullScreen, path, [&](const QString& error) {
            ++calls;
            atEnd = test::readFile(path);
            QVERIFY(error.isEmpty());
        });
        // The tools take 0.3 s, a missing file 1 s of waiting: a few seconds are plenty.
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 4000);
        QCOMPARE(atEnd, image ? sampleBytes : QByteArray());
    }
};

QTEST_MAIN(TestScreenCapture)
#include "tst_screen_capture.moc"
