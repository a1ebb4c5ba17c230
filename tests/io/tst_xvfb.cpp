// Tests on a real X server (see xvfb_main.h).

#include "io_fixtures.h"
#include "state/app_state.h"
#include "xvfb_main.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

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

class TestXvfb : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedHome> m_env;

  private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_env = std::make_unique<IsolatedHome>();
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
    return test::runOnXvfb<QGuiApplication, TestXvfb>(argc, argv, "640x480x24");
}
#include "tst_xvfb.moc"
