// Annotations on a cropped screenshot: what lay over the part the crop cut
// away is gone with it, cut at the edge of what is kept, and the padding
// there stays background; the padding beside an edge the crop left alone
// still shows what was put there.
#include "record_printers.h"
#include "render/image_processor.h"
#include "render_probe.h"

#include <QTest>

using namespace lustrelab;

namespace {

// A 120 x 80 point screenshot, 20 points of blue padding, no shadow, square
// corners. Cropped to its left half the canvas is 100 x 120 points, with the
// kept screenshot at x 20..80 and y 20..100; the cut-away half would lie
// right of x 80.
const UnitRect leftHalf{0, 0, 0.5, 1};
const QColor screenshotGrey(200, 200, 200);
const QColor markerRed = QColor::fromRgbF(0.8f, 0.1f, 0.1f);

} // namespace

class TestCroppedAnnotations : public QObject
{
    Q_OBJECT

  private slots:
    void cutAwayPartHidesItsAnnotations_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<bool>("cropped");
        QTest::addColumn<bool>("marker");  // else an arrow
        QTest::addColumn<UnitPoint>("at"); // the marker's centre, or the arrow's head
        // Points of the canvas where the annotation shows (away from a marker's number).
        QTest::addColumn<QPoint>("shown");
        QTest::addColumn<QPoint>("hidden"); // where the background shows instead; (-1, -1): none
        const QPoint none(-1, -1);
        // A marker 30 points across on the kept part's right edge: its left half stays.
        for (double ratio : {1.0, 2.0})
            QTest::addRow("marker on the cut edge, ratio %g", ratio)
                << ratio << true << true << UnitPoint{0.8, 0.5} << QPoint(70, 60) << QPoint(90, 60);
        QTest::newRow("arrow running out of the kept part")
            << 1.0 << true << false << UnitPoint{0.98, 0.5} << QPoint(60, 60) << QPoint(90, 60);
        QTest::newRow("marker in the top padding, where nothing was cut")
            << 1.0 << true << true << UnitPoint{0.5, 1 - 10.0 / 120} << QPoint(40, 10) << none;
        QTest::newRow("marker in the left padding")
            << 2.0 << true << true << UnitPoint{0.1, 0.5} << QPoint(10, 49) << none;
        QTest::newRow("without a crop the padding shows it")
            << 1.0 << false << false << UnitPoint{0.98, 0.5} << QPoint(150, 60) << none;
    }
    void cutAwayPartHidesItsAnnotations()
    {
        QFETCH(double, ratio);
        QFETCH(bool, cropped);
        QFETCH(bool, marker);
        QFETCH(UnitPoint, at);
        QFETCH(QPoint, shown);
        QFETCH(QPoint, hidden);
        const QImage source = solidImage(int(120 * ratio), int(80 * ratio), screenshotGrey, ratio);
        QList<StepMarker> markers;
        QList<ShapeOverlay> shapes;
        if (marker) {
            StepMarker m;
            m.position = at, m.size = 30, m.number = 1, m.color = CodableColor::fromPlatformColor(markerRed);
            markers.append(m);
        } else {
            ShapeOverlay arrow;
            arrow.shapeType = ShapeType::arrow, arrow.startPoint = {0.3, 0.5}, arrow.endPoint = at;
            arrow.strokeWidth = 6, arrow.strokeColor = CodableColor::fromPlatformColor(markerRed);
            shapes.append(arrow);
        }
        const std::optional<UnitRect> crop = cropped ? std::optional(leftHalf) : std::nullopt;
        const QImage out = ImageProcessor().process(
            source, plainSettings(20), {.shapeOverlays = shapes, .stepMarkers = markers, .crop = crop});
        QCOMPARE(out.size() / ratio, cropped ? QSize(100, 120) : QSize(160, 120));
        VERIFY_NEAR(out.pixelColor(shown * ratio), markerRed, 3);
        if (hidden != QPoint(-1, -1))
            QCOMPARE(out.pixelColor(hidden * ratio), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestCroppedAnnotations)
#include "tst_cropped_annotations.moc"
