// Ctrl+Shift+6 on a real X server (a private Xvfb), pressed with xdotool.

#include "io/app_delegate.h"
#include "io/xcb_key_grab.h"
#include "io_fixtures.h"
#include "state/app_state.h"
#include "xvfb_session.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

class TestHotKey : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;
    std::unique_ptr<AppState> m_state;
    FakeCaptureBackend* m_backend = nullptr; // owned by the state's capture service

    static bool pressHotKey() { return xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+6")}); }

    // Long enough for a press to have gone through the X server, our event
    // filter, the queued hand-off and the capture's settle delay.
    static void waitOutAPress() { QTest::qWait(900); }

  private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_env = std::make_unique<IsolatedEnvironment>();
    }

    void init()
    {
        m_state = std::make_unique<AppState>(QDir(m_env->path()).filePath(QStringLiteral("templates")));
        m_backend = new FakeCaptureBackend(patternImage(6, 4));
        m_state->screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(m_backend));
    }

    void cleanup() { m_state.reset(); }

    void lockKeys_data()
    {
        QTest::addColumn<QStringList>("toggles");
        QTest::newRow("no lock") << QStringList();
        QTest::newRow("Caps Lock on") << QStringList{"Caps_Lock"};
        QTest::newRow("Num Lock on") << QStringList{"Num_Lock"};
        QTest::newRow("both on") << QStringList{"Caps_Lock", "Num_Lock"};
    }

    // One press, one region capture in a new tab, whatever the lock keys say.
    void lockKeys()
    {
        QFETCH(QStringList, toggles);
        AppDelegate delegate;
        delegate.setup(m_state.get());
        QVERIFY(qobject_cast<XcbKeyGrab*>(delegate.shortcut()));
        QVERIFY(delegate.shortcut()->isRegistered());
        const qsizetype tabs = m_state->tabs().size();

        for (const QString& key : toggles)
            QVERIFY(xdotool({QStringLiteral("key"), key}));
        QVERIFY(pressHotKey());
        for (const QString& key : toggles)
            QVERIFY(xdotool({QStringLiteral("key"), key}));

        QTRY_COMPARE(m_backend->calls.size(), 1);
        QCOMPARE(m_backend->calls.first().mode, CaptureMode::region);
        QTRY_COMPARE(m_state->tabs().size(), tabs + 1);
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 1);
    }

    // Keyboard auto-repeat turns a held key into a stream of presses; it is
    // still one press to the user.
    void holdingTheKeyCapturesOnce()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        QVERIFY(xdotool({"keydown", "ctrl+shift+6", "sleep", "1.5", "keyup", "ctrl+shift+6"}));
        QTRY_COMPARE(m_backend->calls.size(), 1);
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 1);
    }

    void otherModifiersDoNothing()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+6")}));
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+alt+6")}));
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+7")}));
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 0);
    }

    void setupTwiceCapturesOnce()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        GlobalShortcut* first = delegate.shortcut();
        delegate.setup(m_state.get());
        QCOMPARE(delegate.shortcut(), first);

        QVERIFY(pressHotKey());
        QTRY_COMPARE(m_backend->calls.size(), 1);
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 1);
    }

    void nothingAfterTermination()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        delegate.applicationWillTerminate();
        QVERIFY(!delegate.shortcut()->isRegistered());
        QVERIFY(pressHotKey());
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 0);
    }

    // The grab is held against other X clients while registered, and given
    // back on termination. The other client is this executable in probe mode.
    void grabIsExclusiveUntilTermination()
    {
        const auto otherClientGrabs = [] {
            QProcess probe;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LUSTRELAB_GRAB_PROBE"), QStringLiteral("1"));
            probe.setProcessEnvironment(environment);
            probe.start(QCoreApplication::applicationFilePath(), {});
            return probe.waitForFinished(10000) && probe.exitCode() == 0;
        };
        AppDelegate delegate;
        delegate.setup(m_state.get());
        QVERIFY(!otherClientGrabs());
        delegate.applicationWillTerminate();
        QVERIFY(otherClientGrabs());
    }

    // The delegate does not keep the model alive, and a press afterwards is
    // ignored.
    void pressAfterTheModelIsGone()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        m_state.reset();
        QCOMPARE(delegate.appState(), nullptr);
        QVERIFY(pressHotKey());
        waitOutAPress();
    }
};

int main(int argc, char** argv)
{
    // Probe mode: another X client trying to take Ctrl+Shift+6; exit 0 when it could.
    if (qEnvironmentVariableIsSet("LUSTRELAB_GRAB_PROBE")) {
        QGuiApplication app(argc, argv);
        XcbKeyGrab grab;
        return grab.registerShortcut() ? 0 : 1;
    }
    return runUnderXvfb(argc, argv, [](int c, char** v) {
        QGuiApplication app(c, v);
        TestHotKey test;
        return QTest::qExec(&test, c, v);
    });
}
#include "tst_hotkey_xvfb.moc"
