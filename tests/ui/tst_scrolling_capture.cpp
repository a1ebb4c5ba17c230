// A scrolling capture of a window this test shows itself: a scroll area
// over a tall drawn page, scrolled with the wheel through XTest on a real X
// server (see xvfb_main.h), its frames read from the server and stitched.
// The result is the page.
#include "render/scrolled_page.h"
#include "state/scrolling_capture.h"
#include "io/scrolling_overlay.h"
#include "xvfb_main.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>

using namespace lustrelab;

class TestScrollingCapture : public QObject
{
    Q_OBJECT

    struct Window
    {
        QScrollArea area;
        QLabel* page = new QLabel;
    };

    // A frameless scroll area at the top left of the screen, showing `page`;
    // null when it never appears.
    static std::unique_ptr<Window> show(const QImage& page, QSize viewport)
    {
        auto window = std::make_unique<Window>();
        window->page->setPixmap(QPixmap::fromImage(page));
        window->page->resize(page.size());
        window->area.setWidget(window->page);
        window->area.setFrameShape(QFrame::NoFrame);
        window->area.setWindowFlag(Qt::FramelessWindowHint);
        window->area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        window->area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        window->area.resize(viewport + QSize(window->area.verticalScrollBar()->sizeHint().width(), 0));
        window->area.move(0, 0);
        window->area.show();
        return QTest::qWaitForWindowExposed(&window->area) ? std::move(window) : nullptr;
    }

    static QRect viewportOnScreen(const Window& window)
    {
        const QWidget* viewport = window.area.viewport();
        return QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    }

  private slots:
    void capturesTheWholePage_data()
    {
        QTest::addColumn<int>("pageRows");
        QTest::addColumn<int>("clicks"); // wheel notches a step
        QTest::newRow("a long page, big steps") << 2400 << 3;
        QTest::newRow("small steps") << 900 << 1;
    }
    void capturesTheWholePage()
    {
        QFETCH(int, pageRows);
        QFETCH(int, clicks);
        const QImage page = test::drawnPage(480, pageRows, 1, 11);
        const auto window = show(page, QSize(480, 360));
        QVERIFY(window);

        ScrollingCapture capture;
        ScrollingCapture::Limits limits;
        limits.wheelClicks = clicks;
        limits.settle = std::chrono::milliseconds(120);
        capture.setLimits(limits);
        QSignalSpy finished(&capture, &ScrollingCapture::finished);
        capture.start(viewportOnScreen(*window));
        QVERIFY(capture.isRunning());
        QTRY_VERIFY(capture.overlay() && capture.overlay()->isExposed());
        // Beside the region, never in it.
        QVERIFY(!capture.overlay()->geometry().intersects(viewportOnScreen(*window)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);

        const QImage result = finished.at(0).at(0).value<QImage>();
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QCOMPARE(result.size(), page.size());
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), page.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(window->area.verticalScrollBar()->value(), window->area.verticalScrollBar()->maximum());
        QVERIFY(!capture.overlay()->isVisible());
    }

    // A page that fits: nothing moves, one frame is kept, and it says so.
    void aWindowThatDoesNotScroll()
    {
        const QImage page = test::drawnPage(300, 200, 1, 3);
        const auto window = show(page, QSize(300, 200));
        QVERIFY(window);
        ScrollingCapture capture;
        QSignalSpy finished(&capture, &ScrollingCapture::finished);
        capture.start(viewportOnScreen(*window));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(finished.at(0).at(1).toString(), QStringLiteral("The window did not scroll; one frame is kept."));
        QCOMPARE(finished.at(0).at(0).value<QImage>().convertToFormat(QImage::Format_RGB32),
                 page.convertToFormat(QImage::Format_RGB32));
    }

    // Escape, wherever the focus is, ends it with the frames taken so far.
    void escapeFinishes()
    {
        const QImage page = test::drawnPage(400, 6000, 1, 5);
        const auto window = show(page, QSize(400, 300));
        QVERIFY(window);
        ScrollingCapture capture;
        ScrollingCapture::Limits limits;
        limits.wheelClicks = 1;
        capture.setLimits(limits);
        QSignalSpy finished(&capture, &ScrollingCapture::finished);
        QSignalSpy frames(&capture, &ScrollingCapture::frameAdded);
        capture.start(viewportOnScreen(*window));
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 3, 20000);
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        const QImage result = finished.at(0).at(0).value<QImage>();
        QVERIFY(result.height() > 300);
        QVERIFY(result.height() < 6000);
        // What was taken is the top of the page.
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32),
                 page.copy(0, 0, 400, result.height()).convertToFormat(QImage::Format_RGB32));
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QApplication, TestScrollingCapture>(argc, argv, "1024x768x24");
}
#include "tst_scrolling_capture.moc"
