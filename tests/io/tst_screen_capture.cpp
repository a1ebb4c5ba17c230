// Screen capture through the backend contract, with fake tools on PATH that
// record how they were called.

#include "io/capture_backend_loader.h"
#include "io/screen_capture_service.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QGuiApplication>
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

const QRegularExpression capturePathPattern(
    QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.png$"));

class EnvironmentVariable
{
  public:
    EnvironmentVariable(const char* name, const QByteArray& value) : m_name(name), m_saved(qgetenv(name))
    {
        m_wasSet = qEnvironmentVariableIsSet(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    QByteArray m_saved;
    bool m_wasSet = false;
};

} // namespace

class TestScreenCapture : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;

    std::unique_ptr<AppState> newState()
    {
        return std::make_unique<AppState>(QDir(m_env->path()).filePath(QStringLiteral("templates")));
    }

    static void startCapture(AppState& state, CaptureMode mode)
    {
        switch (mode) {
        case CaptureMode::region:
            state.startRegionCapture();
            break;
        case CaptureMode::window:
            state.startWindowCapture();
            break;
        case CaptureMode::fullScreen:
            state.startFullScreenCapture();
            break;
        }
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
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
    }

    void toolArguments_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QStringList>("arguments"); // "PATH" stands for the temporary file
        const auto row = [](const char* name, const char* tool, CaptureMode mode, QStringList arguments) {
            QTest::newRow(name) << QString::fromLatin1(tool) << mode << arguments;
        };
        row("screencapture region", "screencapture", CaptureMode::region, {"-i", "-x", "PATH"});
        row("screencapture window", "screencapture", CaptureMode::window, {"-w", "-o", "-x", "PATH"});
        row("screencapture full screen", "screencapture", CaptureMode::fullScreen, {"-m", "-x", "PATH"});
        row("gnome-screenshot region", "gnome-screenshot", CaptureMode::region, {"--area", "--file=PATH"});
        row("spectacle window", "spectacle", CaptureMode::window,
            {"--background", "--nonotify", "--activewindow", "--output", "PATH"});
        row("maim full screen", "maim", CaptureMode::fullScreen, {"--hidecursor", "PATH"});
        row("scrot region", "scrot", CaptureMode::region, {"--select", "PATH"});
        row("import full screen", "import", CaptureMode::fullScreen, {"-silent", "-window", "root", "PATH"});
    }

    // The tool gets exactly its argument list with a fresh temporary PNG path;
    // the image opens in a new tab and the file is gone afterwards.
    void toolArguments()
    {
        QFETCH(QString, tool);
        QFETCH(CaptureMode, mode);
        QFETCH(QStringList, arguments);
        FakeTools tools;
        tools.useAlone();
        tools.addRecordingTool(tool);
        // screencapture is found on its own; the others are forced.
        EnvironmentVariable forced("LUSTRELAB_CAPTURE_BACKEND",
                                   tool == QLatin1String("screencapture") ? QByteArray() : tool.toUtf8());
        EnvironmentVariable display("DISPLAY", ":99");
        auto state = newState();
        const qsizetype tabs = state->tabs().size();

        startCapture(*state, mode);
        waitForCapture(*state);

        const QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), 1);
        QStringList actual = calls.first();
        QString path = actual.last();
        path.remove(QStringLiteral("--file="));
        actual.last().replace(path, QStringLiteral("PATH"));
        QCOMPARE(actual, arguments);
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_env->tempPath()).absoluteFilePath());
        QVERIFY2(capturePathPattern.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(state->tabs().size(), tabs + 1);
        QCOMPARE(asArgb(*state->currentTab()->sourceImage), asArgb(patternImage(24, 16)));
    }

    void outcome_data()
    {
        QTest::addColumn<FakeTools::Behaviour>("behaviour");
        QTest::addColumn<bool>("newTab");
        QTest::addColumn<bool>("keepsEarlierCapture");
        QTest::newRow("image") << FakeTools::Behaviour::writePng << true << false;
        QTest::newRow("cancelled") << FakeTools::Behaviour::cancel << false << true;
        QTest::newRow("undecodable file") << FakeTools::Behaviour::writeGarbage << false << false;
    }

    // After a first successful capture, a second one with this outcome.
    void outcome()
    {
        QFETCH(FakeTools::Behaviour, behaviour);
        QFETCH(bool, newTab);
        QFETCH(bool, keepsEarlierCapture);
        FakeTools tools;
        tools.useAlone();
        tools.addRecordingTool(QStringLiteral("screencapture"));
        auto state = newState();
        state->startRegionCapture();
        waitForCapture(*state);
        QVERIFY(state->screenCaptureService().capturedImage());
        const qsizetype tabs = state->tabs().size();
        const QUuid current = *state->currentTabId();

        tools.addRecordingTool(QStringLiteral("screencapture"), behaviour);
        state->startRegionCapture();
        waitForCapture(*state);

        QCOMPARE(state->tabs().size(), newTab ? tabs + 1 : tabs);
        QCOMPARE(*state->currentTabId() == current, !newTab);
        QCOMPARE(state->screenCaptureService().capturedImage().has_value(), newTab || keepsEarlierCapture);
        QVERIFY2(m_env->tempFiles().isEmpty(), qPrintable(m_env->tempFiles().join(' ')));
        QVERIFY(!state->screenCaptureService().isCapturing());
    }

    // Overlapping requests each get their own file; the flag stays up until
    // the last one is done.
    void twoCapturesInARow()
    {
        FakeTools tools;
        tools.useAlone();
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
        QVERIFY(!QFile::exists(calls[0].last()) && !QFile::exists(calls[1].last()));
        QCOMPARE(state->tabs().size(), tabs + 2);
        QCOMPARE(capturing.size(), 2); // up once, down once
    }

    void launchFailure_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("region") << CaptureMode::region << QStringLiteral("Screen capture failed: ");
        QTest::newRow("window") << CaptureMode::window << QStringLiteral("Window capture failed: ");
        QTest::newRow("full screen") << CaptureMode::fullScreen
                                     << QStringLiteral("Full screen capture failed: ");
    }

    // A tool that exists but cannot start: one line on standard output with
    // the system's reason, the application back, and no tab.
    void launchFailure()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(QString, prefix);
        FakeTools tools;
        tools.useAlone();
        tools.addBrokenTool(QStringLiteral("screencapture"));
        auto state = newState();
        FakePresence presence;
        state->screenCaptureService().setPresence(&presence);
        const qsizetype tabs = state->tabs().size();

        StreamCapture output(1);
        startCapture(*state, mode);
        waitForCapture(*state);
        const QString line = QString::fromLocal8Bit(output.text());

        QVERIFY2(line.startsWith(prefix) && line.size() > prefix.size() + 1, qPrintable(line));
        QCOMPARE(line.count(QLatin1Char('\n')), 1);
        QVERIFY(line.endsWith(QLatin1Char('\n')));
        QCOMPARE(presence.events, QStringList({"hide", "show"}));
        QCOMPARE(state->tabs().size(), tabs);
    }

    void endedWhileToolRuns_data()
    {
        QTest::addColumn<bool>("serviceDestroyed");
        QTest::newRow("backend replaced") << false;
        QTest::newRow("service destroyed") << true;
    }

    // A capture whose tool is stopped still ends: with the backend replaced,
    // the flag drops and the application comes back; with the service gone,
    // the waiting future is cancelled.
    void endedWhileToolRuns()
    {
        QFETCH(bool, serviceDestroyed);
        FakeTools tools;
        tools.useAlone();
        tools.addRecordingTool(QStringLiteral("screencapture"), FakeTools::Behaviour::hang);
        auto service = std::make_unique<ScreenCaptureService>();
        FakePresence presence;
        service->setPresence(&presence);
        QFuture<QImage> result = service->captureRegion();
        QTRY_COMPARE(tools.invocations().size(), 1);

        if (serviceDestroyed) {
            service.reset();
            QVERIFY(result.isCanceled());
            return;
        }
        service->setBackend(std::make_unique<FakeCaptureBackend>());
        QVERIFY(!service->isCapturing());
        QCOMPARE(presence.events, QStringList({"hide", "show"}));
        QVERIFY(result.isFinished() && result.result().isNull());
    }

    void grimAsksSlurpFirst_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<bool>("selectionMade");
        QTest::addColumn<QStringList>("grimArguments"); // empty: grim not run
        QTest::newRow("region") << CaptureMode::region << true << QStringList{"-g", "10,20 30x40", "PATH"};
        QTest::newRow("selection cancelled") << CaptureMode::region << false << QStringList();
        QTest::newRow("full screen without slurp") << CaptureMode::fullScreen << false << QStringList{"PATH"};
    }

    void grimAsksSlurpFirst()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(bool, selectionMade);
        QFETCH(QStringList, grimArguments);
        FakeTools tools;
        tools.useAlone();
        tools.addRecordingTool(QStringLiteral("grim"));
        QFile slurp(QDir(tools.dir()).filePath(QStringLiteral("slurp")));
        QVERIFY(slurp.open(QIODevice::WriteOnly));
        slurp.write(selectionMade ? "#!/bin/sh\necho '10,20 30x40'\n"
                                  : "#!/bin/sh\necho 'selection cancelled' >&2\nexit 1\n");
        slurp.close();
        slurp.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EnvironmentVariable wayland("WAYLAND_DISPLAY", "wayland-9");
        ScreenCaptureService service;
        service.setBackend(loadCaptureBackend());
        QCOMPARE(service.backend().name(), QStringLiteral("grim"));

        QFuture<QImage> result = service.capture(mode);
        QTRY_VERIFY_WITH_TIMEOUT(result.isFinished(), 10000);

        const QList<QStringList> calls = tools.invocations();
        QCOMPARE(calls.size(), grimArguments.isEmpty() ? 0 : 1);
        if (!grimArguments.isEmpty()) {
            QStringList actual = calls.first();
            actual.last() = QStringLiteral("PATH");
            QCOMPARE(actual, grimArguments);
            QCOMPARE(result.result().size(), QSize(24, 16));
        } else {
            QVERIFY(result.result().isNull());
        }
        QVERIFY(m_env->tempFiles().isEmpty());
    }

    void automaticChoice_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("session"); // x11, wayland or none
        QTest::addColumn<QString>("forced");
        QTest::addColumn<QString>("chosen");
        const auto row = [](const char* name, QStringList installed, const char* session, const char* forced,
                            const char* chosen) {
            QTest::newRow(name) << installed << QString::fromLatin1(session) << QString::fromLatin1(forced)
                                << QString::fromLatin1(chosen);
        };
        row("screencapture first", {"maim", "screencapture"}, "x11", "", "screencapture");
        row("desktop tool before X11 tools", {"maim", "gnome-screenshot"}, "x11", "", "gnome-screenshot");
        row("maim before scrot", {"import", "scrot", "maim"}, "x11", "", "maim");
        row("X11 tools skipped on Wayland", {"maim", "scrot", "import"}, "wayland", "", "none");
        row("grim needs slurp", {"grim"}, "wayland", "", "none");
        row("grim with slurp", {"grim", "slurp"}, "wayland", "", "grim");
        row("forced", {"maim", "import"}, "x11", "import", "import");
        row("forced but missing", {"maim"}, "x11", "scrot", "scrot");
        row("forced unknown name", {"maim"}, "x11", "bogus", "maim");
    }

    void automaticChoice()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, session);
        QFETCH(QString, forced);
        QFETCH(QString, chosen);
        FakeTools tools;
        tools.useAlone();
        for (const QString& name : installed)
            tools.addStub(name);
        EnvironmentVariable display("DISPLAY", session == QLatin1String("x11") ? ":99" : QByteArray());
        EnvironmentVariable wayland("WAYLAND_DISPLAY",
                                    session == QLatin1String("wayland") ? "wayland-9" : QByteArray());
        EnvironmentVariable force("LUSTRELAB_CAPTURE_BACKEND",
                                  forced.isEmpty() ? QByteArray() : forced.toUtf8());
        StreamCapture errors(2);
        QCOMPARE(loadCaptureBackend()->name(), chosen);
        QCOMPARE(errors.text().isEmpty(), forced != QLatin1String("bogus"));
    }
};

QTEST_MAIN(TestScreenCapture)
#include "tst_screen_capture.moc"
