// Frames cut from one tall drawn page, as a window scrolling over it shows
// them, stitched back: the result is the page again, row for row.

#include "render/image_stitcher.h"
#include "scrolled_page.h"

#include <QTest>
#include <QTransform>

using namespace lustrelab;
using lustrelab::test::ScrolledView;
using lustrelab::test::scrolledView;

Q_DECLARE_METATYPE(StitchDirection)

namespace {

struct Difference
{
    int rows = 0;   // rows with any differing pixel
    int pixels = 0; // differing pixels
};

// Compares columns [0, columns) of two images of one size.
Difference difference(const QImage& actual, const QImage& expected, int columns)
{
    Difference d;
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const quint32*>(a.constScanLine(y));
        const auto* re = reinterpret_cast<const quint32*>(e.constScanLine(y));
        int differing = 0;
        for (int x = 0; x < columns; ++x)
            differing += ra[x] != re[x] ? 1 : 0;
        d.rows += differing > 0 ? 1 : 0;
        d.pixels += differing;
    }
    return d;
}

QImage sideways(const QImage& image) { return image.transformed(QTransform().rotate(-90)); }

QList<QImage> sideways(const QList<QImage>& images)
{
    QList<QImage> turned;
    for (const QImage& image : images)
        turned << sideways(image);
    return turned;
}

QList<QImage> withRatio(QList<QImage> images, int ratio)
{
    for (QImage& image : images)
        image.setDevicePixelRatio(ratio);
    return images;
}

} // namespace

class TestImageStitcher : public QObject
{
    Q_OBJECT

  private slots:
    void framesGiveThePageBack_data()
    {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("step"); // rows scrolled between frames, at ratio 1
        QTest::addColumn<bool>("fixedBars");
        QTest::addColumn<bool>("cursor");
        QTest::addColumn<int>("scrollBar");
        QTest::addColumn<StitchDirection>("direction");
        const auto down = StitchDirection::vertical, across = StitchDirection::horizontal;
        // The view shows 200 rows of page at ratio 1 between its bars.
        QTest::newRow("1x, 80% overlap, header, footer, cursor") << 1 << 40 << true << true << 0 << down;
        QTest::newRow("2x, 80% overlap, header, footer, cursor") << 2 << 40 << true << true << 0 << down;
        QTest::newRow("1x, 10% overlap") << 1 << 180 << true << false << 0 << down;
        QTest::newRow("2x, 10% overlap, cursor") << 2 << 180 << true << true << 0 << down;
        QTest::newRow("1x, one row a step") << 1 << 1 << true << false << 0 << down;
        QTest::newRow("1x, no fixed bars") << 1 << 120 << false << true << 0 << down;
        QTest::newRow("1x, moving scroll bar thumb") << 1 << 60 << true << false << 14 << down;
        QTest::newRow("2x, moving scroll bar thumb") << 2 << 90 << false << true << 28 << down;
        QTest::newRow("1x, side by side") << 1 << 50 << true << true << 0 << across;
        QTest::newRow("2x, side by side") << 2 << 150 << false << false << 0 << across;
    }
    void framesGiveThePageBack()
    {
        QFETCH(int, ratio);
        QFETCH(int, step);
        QFETCH(bool, fixedBars);
        QFETCH(bool, cursor);
        QFETCH(int, scrollBar);
        QFETCH(StitchDirection, direction);
        // One row a step makes a frame per row: a shorter page keeps it quick.
        const int pageRows = step == 1 ? 260 : 900;
        ScrolledView view = scrolledView(320 * ratio, pageRows * ratio, 200 * ratio, ratio, fixedBars);
        view.scrollBarWidth = scrollBar;
        if (cursor)
            view.cursor = QRect(120 * ratio, 150 * ratio, 2 * ratio, 16 * ratio);
        QList<QImage> frames = withRatio(view.frames(step * ratio), ratio);
        QImage expected = view.whole();
        if (direction == StitchDirection::horizontal) {
            frames = withRatio(sideways(frames), ratio);
            expected = sideways(expected);
        }

        const StitchResult result = stitchImages(frames, {direction});
        QVERIFY2(result.ok(), qPrintable(describeStitchFailure(*result.failure, {"a", "b"}, direction)));
        QCOMPARE(result.image.size(), expected.size());
        QCOMPARE(result.image.devicePixelRatio(), double(ratio));
        QImage actual = result.image;
        if (direction == StitchDirection::horizontal) { // compared as rows again
            actual = actual.transformed(QTransform().rotate(90));
            expected = expected.transformed(QTransform().rotate(90));
        }
        // Tolerance: the cursor, once, where one of the frames showing it
        // was taken; the scroll bar's columns are the frames' own.
        const Difference d = difference(actual, expected, expected.width() - scrollBar);
        const int cursorRows = cursor ? view.cursor.height() : 0;
        QVERIFY2(d.rows <= cursorRows, qPrintable(QStringLiteral("%1 rows differ").arg(d.rows)));
        QVERIFY2(d.pixels <= cursorRows * view.cursor.width(),
                 qPrintable(QStringLiteral("%1 pixels differ").arg(d.pixels)));
        QCOMPARE(result.fixedStart, view.headerRows());
        QCOMPARE(result.fixedEnd, view.footerRows());
    }

    // A frame taken twice at one position (the window did not scroll) adds nothing.
    void repeatedFrameAddsNothing()
    {
        const ScrolledView view = scrolledView(300, 700, 200, 1, true);
        QList<QImage> frames = view.frames(100);
        frames.insert(2, frames[1]);
        const StitchResult result = stitchImages(frames);
        QVERIFY(result.ok());
        QCOMPARE(result.shifts.at(1), 0);
        QCOMPARE(difference(result.image, view.whole(), 300).rows, 0);
    }

    void pairsThatDoNotOverlap_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<bool>("fixedBars");
        QTest::addColumn<int>("first");
        // The view shows 200 rows; positions 300 apart share none.
        QTest::newRow("first pair") << QList<int>{0, 300, 400} << false << 0;
        QTest::newRow("last pair") << QList<int>{0, 100, 400} << false << 1;
        // The bars are the same in both, but they are not an overlap.
        QTest::newRow("only the sticky bars shared") << QList<int>{0, 300} << true << 0;
        // Ten rows in common are too few to tell from chance.
        QTest::newRow("ten rows shared") << QList<int>{0, 190} << false << 0;
    }
    void pairsThatDoNotOverlap()
    {
        QFETCH(QList<int>, positions);
        QFETCH(bool, fixedBars);
        QFETCH(int, first);
        const ScrolledView view = scrolledView(300, 800, 200, 1, fixedBars);
        QList<QImage> frames;
        for (int at : positions)
            frames << view.frame(at, 0);

        const StitchResult refused = stitchImages(frames);
        QVERIFY(!refused.ok());
        QVERIFY(refused.image.isNull());
        QCOMPARE(refused.failure->kind, StitchFailure::Kind::noOverlap);
        QCOMPARE(refused.failure->first, first);
        QCOMPARE(refused.failure->second, first + 1);

        // Asked to, the pair is joined edge to edge and the rest still overlaps.
        const StitchResult joined = stitchImages(frames, {StitchDirection::vertical, false, true});
        QVERIFY(joined.ok());
        QCOMPARE(joined.shifts.at(first), -1);
        const int middle = frames[0].height() - joined.fixedStart - joined.fixedEnd;
        int expectedRows = joined.fixedStart + joined.fixedEnd + middle;
        for (qsizetype i = 1; i < positions.size(); ++i)
            expectedRows += qsizetype(first) == i - 1 ? middle : std::min(middle, positions[i] - positions[i - 1]);
        QCOMPARE(joined.image.height(), expectedRows);
    }

    // Flat frames (an empty page) give nothing to align on: refused, not
    // laid one over the other.
    void flatFramesAreRefused()
    {
        QImage blank(200, 150, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::white);
        const StitchResult result = stitchImages({blank, blank});
        QVERIFY(!result.ok());
        QCOMPARE(result.failure->kind, StitchFailure::Kind::noOverlap);
    }

    // Down the page, as the command line joins frames: tst_stitch_command.
    void sizesAcrossTheDirection_data()
    {
        QTest::addColumn<StitchDirection>("direction");
        QTest::addColumn<QSize>("second");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QString>("message"); // empty: stitched
        QTest::addColumn<QSize>("resultSize");
        const auto down = StitchDirection::vertical, across = StitchDirection::horizontal;
        QTest::newRow("across, lower") << across << QSize(300, 100) << false
                                       << "b is 100 px high but a is 200 px high; images joined side by side "
                                          "must be equally high"
                                       << QSize();
        // Only the size across the direction must agree.
        QTest::newRow("down, shorter") << down << QSize(300, 90) << false << "" << QSize(300, 290);
        QTest::newRow("across, narrower") << across << QSize(120, 200) << false << "" << QSize(420, 200);
        QTest::newRow("across, fitted to the lowest") << across << QSize(300, 100) << true << "" << QSize(450, 100);
    }
    void sizesAcrossTheDirection()
    {
        QFETCH(StitchDirection, direction);
        QFETCH(QSize, second);
        QFETCH(bool, fit);
        QFETCH(QString, message);
        QFETCH(QSize, resultSize);
        // Unrelated pictures with no row in common, joined edge to edge.
        const QImage a = test::drawnBar(300, 200, Qt::red, 1);
        const QImage b = test::drawnBar(second.width(), second.height(), Qt::darkGreen, 1);
        const StitchResult result = stitchImages({a, b}, {direction, fit, true});
        if (message.isEmpty()) {
            QVERIFY(result.ok());
            QCOMPARE(result.image.size(), resultSize);
        } else {
            QVERIFY(!result.ok());
            QCOMPARE(result.failure->kind, StitchFailure::Kind::sizeMismatch);
            QCOMPARE(describeStitchFailure(*result.failure, {"a", "b"}, direction), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestImageStitcher)
#include "tst_image_stitcher.moc"
