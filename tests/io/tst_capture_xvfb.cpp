// A real screenshot on a private Xvfb: ImageMagick's import behind the capture
// contract. (Its interactive modes grab the X server while the user selects,
// which also stalls synthetic input, so they are not driven from here.)

#include "io/portal_capture_backend.h"
#include "io_fixtures.h"
#include "state/app_state.h"
#include "xvfb_session.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

// A window of one known colour, so the captured pixels can be checked.
class SolidWindow : public QRasterWindow
{
  public:
    explicit SolidWindow(QColor colour) : m_colour(colour) {}

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), m_colour); }

  private:
    QColor m_colour;
};

} // namespace

class TestCaptureXvfb : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;

  private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            QSKIP("ImageMagick's import is not installed");
        m_env = std::make_unique<IsolatedEnvironment>();
        qputenv("LUSTRELAB_CAPTURE_BACKEND", "import");
    }

    // The whole Xvfb screen, at its size, with our window's pixels in it (no
    // presence is set, so the window stays on screen).
    void fullScreenThroughImport()
    {
        SolidWindow window(QColor(200, 30, 150));
        window.setGeometry(100, 80, 200, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        AppState state(QDir(m_env->path()).filePath(QStringLiteral("templates")));
        const qsizetype tabs = state.tabs().size();
        state.startFullScreenCapture();
        QTRY_COMPARE_WITH_TIMEOUT(state.tabs().size(), tabs + 1, 20000);

        const QImage image = *state.currentTab()->sourceImage;
        const QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(image.size(), screen->size() * screen->devicePixelRatio());
        QCOMPARE(image.size(), QSize(640, 480));
        const QPoint centre = window.geometry().center();
        QCOMPARE(QColor(image.pixel(centre)), QColor(200, 30, 150));
        QVERIFY(m_env->tempFiles().isEmpty());
    }

    // Current portals refuse a request without a parent window: on X11 it is
    // our window, or a hidden one of our own when none exists.
    void portalParentWindow()
    {
        PortalCaptureBackend backend(QDBusConnection(QStringLiteral("unused")));
        const QString anchor = backend.parentWindow();
        QVERIFY2(anchor.startsWith(QLatin1String("x11:")), qPrintable(anchor));
        bool ok = false;
        QVERIFY(anchor.mid(4).toULongLong(&ok, 16) != 0 && ok);

        SolidWindow window(Qt::white);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(backend.parentWindow(), QStringLiteral("x11:") + QString::number(window.winId(), 16));
    }
};

LUSTRELAB_XVFB_TEST_MAIN(TestCaptureXvfb)
#include "tst_capture_xvfb.moc"
