// Screen capture through AppState, with fake tools on PATH that record how
// they were called.

#include "io/capture_backend_loader.h"
#include "io/screen_capture_service.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QRegularExpression>
#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

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

    std::unique_ptr<IsolatedEnvironment> m_env;

    std::unique_ptr<AppState> newState()
    {
        return std::make_unique<AppState>(m_env->filePath(QStringLiteral("templates")));
    }

    static void startCapture(AppState& state, CaptureMode mode)
    {
        if (mode == CaptureMode::region)
            state.startRegionCapture();
        else if (mode == CaptureMode::window)
            state.startWindowCapture();
        else
            state.startFullScreenCapture();
    }

    // Waits until the service has finished every capture it started.
    static void waitForCapture(AppState& state)
    {
        QTRY_VERIFY(state.screenCaptureService().isCapturing());
        QTRY_VERIFY_WITH_TIMEOUT(!state.screenCaptureService().isCapturing(), 10000);
        QTest::qWait(20); // the continuation that opens the tab
    }

  private slots:
    void initTestCase()
    {
        m_env = std::make_unique<IsolatedEnvironment>();
        // No portal: the session bus of whoever runs the tests is not ours.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    }

    void init()
    {
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":99");
    }

    void toolArguments_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<bool>("cancels");
        QTest::addColumn<QStringList>("arguments"); // "PATH" stands for the temporary file
        QTest::newRow("screencapture region")
            << "screencapture" << CaptureMode::region << false << QStringList{"-i", "-x", "PATH"};
        QTest::newRow("screencapture window")
            << "screencapture" << CaptureMode::window << false << QStringList{"-w", "-o", "-x", "PATH"};
        QTest::newRow("screencapture full screen")
            << "screencapture" << CaptureMode::fullScreen << false << QStringList{"-m", "-x", "PATH"};
        QTest::newRow("screencapture region cancelled")
            << "screencapture" << CaptureMode::region << true << QStringList{"-i", "-x", "PATH"};
        QTest::newRow("gnome-screenshot region")
            << "gnome-screenshot" << CaptureMode::region << false << QStringList{"--area", "--file=PATH"};
        QTest::newRow("maim full screen")
            << "maim" << CaptureMode::fullScreen << false << QStringList{"--hidecursor", "PATH"};
    }
    // The tool gets exactly its arguments with a fresh temporary PNG path; its
    // image opens in a new tab, a cancel changes nothing; no file is left.
    void toolArguments()
    {
        QFETCH(QString, tool);
        QFETCH(CaptureMode, mode);
        QFETCH(bool, cancels);
        QFETCH(QStringList, arguments);
        FakeTools tools;
        tools.addRecordingTool(tool, cancels);
        if (tool != QLatin1String("screencapture")) // found on its own; the others are forced
            qputenv("LUSTRELAB_CAPTURE_BACKEND", tool.toUtf8());
        auto state = newState();
        const qsizetype tabs = state->tabs().size();

        startCapture(*state, mode);
        waitForCapture(*state);

        const QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), 1);
        QStringList actual = calls.first();
        const QString path = QString(actual.last()).remove(QStringLiteral("--file="));
        actual.last().replace(path, QStringLiteral("PATH"));
        QCOMPARE(actual, arguments);
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_env->tempPath()).absoluteFilePath());
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9A-F-]{36}\\.png$"))
                     .match(QFileInfo(path).fileName())
                     .hasMatch(),
                 qPrintable(path));
        QVERIFY(m_env->tempFiles().isEmpty());
        QCOMPARE(state->tabs().size(), cancels ? tabs : tabs + 1);
        if (!cancels)
            QCOMPARE(asArgb(*state->currentTab()->sourceImage), patternImage(24, 16));
    }

    // Overlapping requests each get their own file; the flag stays up until
    // the last one is done.
    void twoCapturesInARow()
    {
        FakeTools tools;
        tools.addRecordingTool(QStringLiteral("screencapture"));
        auto state = newState();
        const qsizetype tabs = state->tabs().size();
        QSignalSpy capturing(&state->screenCaptureService(), &ScreenCaptureService::isCapturingChanged);

        state->startRegionCapture();
        state->startFullScreenCapture();
        waitForCapture(*state);

        const QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].last() != calls[1].last());
        QVERIFY(m_env->tempFiles().isEmpty());
        QCOMPARE(state->tabs().size(), tabs + 2);
        QCOMPARE(capturing.size(), 2); // up once, down once
    }

    void launchFailure_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("region") << CaptureMode::region << "Screen capture failed: ";
        QTest::newRow("window") << CaptureMode::window << "Window capture failed: ";
        QTest::newRow("full screen") << CaptureMode::fullScreen << "Full screen capture failed: ";
    }
    // A tool that exists but cannot start: one line on standard output with
    // the system's reason, the application back, and no tab.
    void launchFailure()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(QString, prefix);
        FakeTools tools;
        tools.addScript(QStringLiteral("screencapture"), "#!/nonexistent/interpreter\n");
        auto state = newState();
        FakePresence presence;
        state->screenCaptureService().setPresence(&presence);
        const qsizetype tabs = state->tabs().size();

        StdoutCapture output;
        startCapture(*state, mode);
        waitForCapture(*state);
        const QString line = QString::fromLocal8Bit(output.text());

        QVERIFY2(line.startsWith(prefix) && line.size() > prefix.size() + 1, qPrintable(line));
        QVERIFY(line.indexOf(QLatin1Char('\n')) == line.size() - 1);
        QCOMPARE(presence.events, QStringList({"hide", "show"}));
        QCOMPARE(state->tabs().size(), tabs);
    }

    void automaticChoice_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("screencapture first") << QStringList{"maim", "screencapture"} << "x11"
                                             << "screencapture";
        QTest::newRow("desktop tool before X11 tools") << QStringList{"maim", "gnome-screenshot"} << "x11"
                                                       << "gnome-screenshot";
        QTest::newRow("X11 tools skipped on Wayland") << QStringList{"maim", "scrot"} << "wayland"
                                                      << "none";
        QTest::newRow("grim needs slurp") << QStringList{"grim"} << "wayland"
                                          << "none";
        QTest::newRow("grim with slurp") << QStringList{"grim", "slurp"} << "wayland"
                                         << "grim";
    }
    void automaticChoice()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, session);
        QFETCH(QString, chosen);
        FakeTools tools;
        for (const QString& name : installed)
            tools.addScript(name, "#!/bin/sh\n");
        if (session == QLatin1String("wayland")) {
            qunsetenv("DISPLAY");
            qputenv("WAYLAND_DISPLAY", "wayland-9");
        }
        QCOMPARE(loadCaptureBackend()->name(), chosen);
    }
};

QTEST_MAIN(TestScreenCapture)
#include "tst_screen_capture.moc"
