// A real full-screen capture on a private Xvfb, through ImageMagick's import.
// (Its interactive modes grab the X server while the user selects, which also
// stalls synthetic input, so they are not driven from here.)

#include "io_fixtures.h"
#include "state/app_state.h"
#include "xvfb_session.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QStandardPaths>
#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

class SolidWindow : public QRasterWindow
{
  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(200, 30, 150));
    }
};

} // namespace

class TestCaptureXvfb : public QObject
{
    Q_OBJECT
  private slots:
    // The whole screen at its size, with our window's pixels in it (no
    // presence is set, so the window stays on screen).
    void fullScreenThroughImport()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            QSKIP("ImageMagick's import is not installed");
        IsolatedEnvironment env;
        qputenv("LUSTRELAB_CAPTURE_BACKEND", "import");
        SolidWindow window;
        window.setGeometry(100, 80, 200, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        AppState state(env.filePath(QStringLiteral("templates")));
        const qsizetype tabs = state.tabs().size();
        state.startFullScreenCapture();
        QTRY_COMPARE_WITH_TIMEOUT(state.tabs().size(), tabs + 1, 20000);

        const QImage image = *state.currentTab()->sourceImage;
        QCOMPARE(image.size(), QSize(640, 480));
        QCOMPARE(QColor(image.pixel(window.geometry().center())), QColor(200, 30, 150));
        QVERIFY(env.tempFiles().isEmpty());
    }
};

LUSTRELAB_XVFB_TEST_MAIN(TestCaptureXvfb)
#include "tst_capture_xvfb.moc"
