// Ctrl+Shift+6 on a private Xvfb, pressed with xdotool.

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

namespace {

void press(const QString& keys)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    QVERIFY(process.waitForFinished(10000) && process.exitCode() == 0);
}

// Long enough for a press to go through the X server, our event filter, the
// queued hand-off and the capture's settle delay.
void waitOutAPress()
{
    QTest::qWait(900);
}

} // namespace

class TestHotKey : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;
    std::unique_ptr<AppState> m_state;
    FakeCaptureBackend* m_backend = nullptr; // owned by the state's capture service

  private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_env = std::make_unique<IsolatedEnvironment>();
    }

    void init()
    {
        m_state = std::make_unique<AppState>(m_env->filePath(QStringLiteral("templates")));
        m_backend = new FakeCaptureBackend(patternImage(6, 4));
        m_state->screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(m_backend));
    }

    void cleanup() { m_state.reset(); }

    void presses_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("captures");
        QTest::newRow("hot key") << QStringList{"ctrl+shift+6"} << 1;
        QTest::newRow("with Caps Lock on") << QStringList{"Caps_Lock", "ctrl+shift+6", "Caps_Lock"} << 1;
        QTest::newRow("with Num Lock on") << QStringList{"Num_Lock", "ctrl+shift+6", "Num_Lock"} << 1;
        QTest::newRow("other modifiers") << QStringList{"ctrl+6", "ctrl+shift+alt+6"} << 0;
    }
    // One press, one region capture in a new tab.
    void presses()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, captures);
        AppDelegate delegate;
        delegate.setup(m_state.get());
        QVERIFY(qobject_cast<XcbKeyGrab*>(delegate.shortcut()));
        const qsizetype tabs = m_state->tabs().size();
        for (const QString& key : keys)
            press(key);
        QTRY_COMPARE(m_backend->calls.size(), captures);
        waitOutAPress();
        QCOMPARE(m_backend->calls, QList<CaptureMode>(captures, CaptureMode::region));
        QCOMPARE(m_state->tabs().size(), tabs + captures);
    }

    void setupTwiceThenTerminate()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        delegate.setup(m_state.get());
        press(QStringLiteral("ctrl+shift+6"));
        QTRY_COMPARE(m_backend->calls.size(), 1);
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 1);

        delegate.applicationWillTerminate();
        QVERIFY(!delegate.shortcut()->isRegistered());
        press(QStringLiteral("ctrl+shift+6"));
        waitOutAPress();
        QCOMPARE(m_backend->calls.size(), 1);
    }
};

LUSTRELAB_XVFB_TEST_MAIN(TestHotKey)
#include "tst_hotkey_xvfb.moc"
