// Tests on a real X server: the process CTest starts runs this executable
// again on a private Xvfb with the xcb platform. Keys are pressed with xdotool.

#include "io/app_delegate.h"
#include "io/xcb_key_grab.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

// Counts requests and leaves an image at the path, as a tool would.
class FakeCaptureBackend : public CaptureBackend
{
  public:
    QString name() const override { return QStringLiteral("fake"); }
    void capture(CaptureMode mode, const QString& path, Done done) override
    {
        calls.append(mode);
        patternImage(6, 4).save(path, "png");
        QTimer::singleShot(0, this, [done] { done({}); });
    }
    QList<CaptureMode> calls;
};

class SolidWindow : public QRasterWindow
{
  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(200, 30, 150));
    }
};

void press(const QString& keys)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    QVERIFY(process.waitForFinished(10000) && process.exitCode() == 0);
}

} // namespace

class TestXvfb : public QObject
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
        m_backend = new FakeCaptureBackend;
        m_state->screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(m_backend));
    }

    void cleanup() { m_state.reset(); }

    void hotKey_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("setups");
        QTest::addColumn<bool>("terminated");
        QTest::addColumn<int>("captures");
        const QStringList hotKey{"ctrl+shift+6"};
        QTest::newRow("hot key") << hotKey << 1 << false << 1;
        QTest::newRow("with Caps Lock on")
            << QStringList{"Caps_Lock", "ctrl+shift+6", "Caps_Lock"} << 1 << false << 1;
        QTest::newRow("with Num Lock on")
            << QStringList{"Num_Lock", "ctrl+shift+6", "Num_Lock"} << 1 << false << 1;
        QTest::newRow("other modifiers") << QStringList{"ctrl+6", "ctrl+shift+alt+6"} << 1 << false << 0;
        QTest::newRow("set up twice") << hotKey << 2 << false << 1;
        QTest::newRow("after termination") << hotKey << 1 << true << 0;
    }
    // One press, one region capture in a new tab.
    void hotKey()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, setups);
        QFETCH(bool, terminated);
        QFETCH(int, captures);
        AppDelegate delegate;
        for (int i = 0; i < setups; ++i)
            delegate.setup(m_state.get());
        QVERIFY(qobject_cast<XcbKeyGrab*>(delegate.shortcut()));
        if (terminated)
            delegate.applicationWillTerminate();
        const qsizetype tabs = m_state->tabs().size();
        for (const QString& key : keys)
            press(key);
        QTRY_COMPARE(m_backend->calls.size(), captures);
        QTest::qWait(900); // time for a second capture to show: X server, filter, hand-off, settle delay
        QCOMPARE(m_backend->calls, QList<CaptureMode>(captures, CaptureMode::region));
        QCOMPARE(m_state->tabs().size(), tabs + captures);
    }

    // The whole screen through ImageMagick's import, with our window's pixels
    // in it (no presence is set, so the window stays). Its interactive modes
    // grab the server, which stalls synthetic input, so they are not driven.
    void fullScreenThroughImport()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            QSKIP("ImageMagick's import is not installed");
        qputenv("LUSTRELAB_CAPTURE_BACKEND", "import");
        SolidWindow window;
        window.setGeometry(100, 80, 200, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        AppState state(m_env->filePath(QStringLiteral("templates")));
        const qsizetype tabs = state.tabs().size();
        state.startFullScreenCapture();
        QTRY_COMPARE_WITH_TIMEOUT(state.tabs().size(), tabs + 1, 20000);
        const QImage image = *state.currentTab()->sourceImage;
        QCOMPARE(image.size(), QSize(640, 480));
        QCOMPARE(QColor(image.pixel(window.geometry().center())), QColor(200, 30, 150));
        QVERIFY(m_env->tempFiles().isEmpty());
    }
};

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("LUSTRELAB_XVFB_CHILD")) {
        QCoreApplication app(argc, argv);
        if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()) {
            std::puts("SKIP: xvfb-run is not installed");
            return 0;
        }
        qputenv("LUSTRELAB_XVFB_CHILD", "1");
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("WAYLAND_DISPLAY");
        // -a: a free display number, so that parallel runs do not meet.
        return QProcess::execute(QStringLiteral("xvfb-run"),
                                 QStringList{"-a", "-s", "-screen 0 640x480x24 -nolisten tcp"} +
                                     app.arguments());
    }
    QGuiApplication app(argc, argv);
    TestXvfb test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_xvfb.moc"
