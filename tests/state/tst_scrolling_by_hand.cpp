// A scrolling capture where the desktop cannot turn the wheel for us (a
// Wayland compositor without virtual pointers): the user scrolls, the
// capture takes a frame every step and keeps the ones that moved. The frames
// here come from a stand-in driver that shows a tall drawn page at the
// offsets a person's scrolling would leave, pauses and overshoots included.
#include "io/scroll_driver.h"
#include "io/scrolling_overlay.h"
#include "render/scrolled_page.h"
#include "state/scrolling_capture.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lustrelab;

namespace {

constexpr int frameWidth = 320, frameHeight = 240;

// Shows the page at `offsets`, one per frame asked for; past the last it
// keeps showing the last. Never scrolls: the user does.
class HandScrolledPage : public ScrollDriver
{
  public:
    HandScrolledPage(QImage page, QList<int> offsets, QStringList* overlayTexts, const ScrollingCapture* capture)
        : m_page(std::move(page)), m_offsets(std::move(offsets)), m_texts(overlayTexts), m_capture(capture)
    {
    }
    bool begin(const QRect&, double) override { return true; }
    void grab(Frame done) override
    {
        // What the overlay said before this frame was taken.
        if (m_capture->overlay())
            *m_texts << m_capture->overlay()->text();
        const int offset = m_offsets.value(std::min(m_taken, int(m_offsets.size()) - 1));
        ++m_taken;
        done(m_page.copy(0, offset, frameWidth, frameHeight));
    }
    bool scrolls() const override { return false; }
    void scrollDown(int) override { ++scrolledByUs; }

    int taken() const { return m_taken; }
    int scrolledByUs = 0;

  private:
    QImage m_page;
    QList<int> m_offsets;
    QStringList* m_texts;
    const ScrollingCapture* m_capture;
    int m_taken = 0;
};

} // namespace

class TestScrollingByHand : public QObject
{
    Q_OBJECT

  private slots:
    void keepsWhatMoved_data()
    {
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<int>("bottom"); // the last row the result must reach
        QTest::addColumn<bool>("overshoot");
        QTest::newRow("steady") << QList<int>{0, 60, 120, 180, 240, 300} << 300 << false;
        // Long pauses are not the end of the page when a person scrolls.
        QTest::newRow("with pauses") << QList<int>{0, 0, 0, 0, 50, 50, 50, 50, 50, 130, 130} << 130 << false;
        QTest::newRow("too far at once, then back")
            << QList<int>{0, 100, 400, 400, 180, 260} << 260 << true;
    }
    void keepsWhatMoved()
    {
        QFETCH(QList<int>, offsets);
        QFETCH(int, bottom);
        QFETCH(bool, overshoot);
        const QImage page = test::drawnPage(frameWidth, 1200, 1, 21).convertToFormat(QImage::Format_RGB32);
        ScrollingCapture capture;
        ScrollingCapture::Limits limits;
        limits.settle = std::chrono::milliseconds(5);
        capture.setLimits(limits);
        QStringList texts;
        auto driver = std::make_unique<HandScrolledPage>(page, offsets, &texts, &capture);
        HandScrolledPage* shown = driver.get();
        capture.setDriver(std::move(driver));
        QSignalSpy finished(&capture, &ScrollingCapture::finished);
        capture.start(QRect(0, 0, frameWidth, frameHeight));
        QVERIFY(capture.isRunning());
        QVERIFY(!capture.scrollsItself());
        QVERIFY2(capture.overlay()->text().contains(u"by hand"), qPrintable(capture.overlay()->text()));
        // Every offset shown, and then some more of the last: nothing ends it
        // but the user.
        QTRY_VERIFY(shown->taken() > offsets.size() + 5);
        QVERIFY(capture.isRunning());
        QCOMPARE(texts.filter(u"scroll back").isEmpty(), !overshoot);
        // A click on the overlay finishes, as Escape does.
        emit capture.overlay()->finishRequested();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        const QImage result = finished.at(0).at(0).value<QImage>().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(result, page.copy(0, 0, frameWidth, bottom + frameHeight));
        QCOMPARE(shown->scrolledByUs, 0);
    }
};

QTEST_MAIN(TestScrollingByHand)
#include "tst_scrolling_by_hand.moc"
