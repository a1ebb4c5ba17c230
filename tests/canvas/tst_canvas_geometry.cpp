// The canvas's geometry without a widget: conversions between canvas points
// and unit coordinates, the hit areas, and what a drag or a move produces.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_interaction.h"
#include "canvas/shape_selection_handle.h"
#include "canvas/text_selection_handle.h"

#include <QTest>

using namespace lustrelab;
using namespace lustrelab::canvas;

Q_DECLARE_METATYPE(lustrelab::UnitPoint)
Q_DECLARE_METATYPE(lustrelab::UnitRect)
Q_DECLARE_METATYPE(lustrelab::canvas::CanvasHit::Kind)

namespace {

// The image frame most rows use: 400 x 200 points, 100 in from the left and 50 down.
const QRectF frame(100, 50, 400, 200);

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

bool near(UnitPoint a, UnitPoint b)
{
    return near(a.x, b.x) && near(a.y, b.y);
}

} // namespace

class TestCanvasGeometry : public QObject
{
    Q_OBJECT

  private slots:
    void fittedFrame_data()
    {
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QSizeF>("image");
        QTest::addColumn<QRectF>("expected");
        // 848 x 648 leaves 800 x 600 inside the margin.
        QTest::newRow("wide image fills the width, centred vertically")
            << QSizeF(848, 648) << QSizeF(1600, 600) << QRectF(24, 174, 800, 300);
        QTest::newRow("tall image fills the height, centred horizontally")
            << QSizeF(848, 648) << QSizeF(300, 1200) << QRectF(349, 24, 150, 600);
        QTest::newRow("canvas smaller than its margins") << QSizeF(40, 400) << QSizeF(80, 60) << QRectF();
    }
    void fittedFrame()
    {
        QFETCH(QSizeF, canvas);
        QFETCH(QSizeF, image);
        QFETCH(QRectF, expected);
        QCOMPARE(fittedImageFrame(canvas, image), expected);
    }

    void pointConversions_data()
    {
        QTest::addColumn<QPointF>("canvasPoint");
        QTest::addColumn<UnitPoint>("unit");
        QTest::addColumn<bool>("roundTrips");
        QTest::newRow("top-left corner is x 0, y 1") << QPointF(100, 50) << UnitPoint{0, 1} << true;
        QTest::newRow("bottom-right corner is x 1, y 0") << QPointF(500, 250) << UnitPoint{1, 0} << true;
        QTest::newRow("a quarter across, a quarter down")
            << QPointF(200, 100) << UnitPoint{0.25, 0.75} << true;
        QTest::newRow("above-left of the image clamps to the corner")
            << QPointF(20, 10) << UnitPoint{0, 1} << false;
        QTest::newRow("below-right of the image clamps to the corner")
            << QPointF(900, 700) << UnitPoint{1, 0} << false;
        QTest::newRow("beside the image keeps the other coordinate")
            << QPointF(600, 150) << UnitPoint{1, 0.5} << false;
    }
    void pointConversions()
    {
        QFETCH(QPointF, canvasPoint);
        QFETCH(UnitPoint, unit);
        QFETCH(bool, roundTrips);
        const UnitPoint converted = canvasToUnit(canvasPoint, frame);
        QVERIFY2(near(converted, unit),
                 qPrintable(QStringLiteral("%1, %2").arg(converted.x).arg(converted.y)));
        if (roundTrips)
            QCOMPARE(unitToCanvas(unit, frame), canvasPoint);
    }

    void clampsWhatIsNotANumber()
    {
        // A frame of zero size divides by zero; nothing but [0, 1] may come out.
        const UnitPoint p = canvasToUnit(QPointF(0, 0), QRectF(0, 0, 0, 0));
        QVERIFY(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1);
    }

    void rectAndTranslation()
    {
        // A unit rectangle stores its bottom edge; on screen its top is 1 - (y + height) down.
        QCOMPARE(unitRectToSurface(UnitRect{0.25, 0.5, 0.5, 0.25}, frame.size()), QRectF(100, 50, 200, 50));
        // Downwards on screen is downwards in unit y.
        const UnitPoint offset = translationToUnit(QPointF(40, 20), frame.size());
        QVERIFY(near(offset, UnitPoint{0.1, -0.1}));
    }

    void textHitWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::newRow("empty text is still grabbable") << QString() << 60.0;
        QTest::newRow("one character") << QStringLiteral("A") << 60.0;
        QTest::newRow("twenty characters") << QStringLiteral("abcdefghijklmnopqrst") << 160.0;
        // Ten emoji with skin-tone modifiers: forty UTF-16 units, ten characters.
        QTest::newRow("characters are counted as seen, not as code units")
            << QString::fromUtf8(
                   "👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽")
            << 80.0;
    }
    void textHitWidth()
    {
        QFETCH(QString, text);
        QFETCH(double, width);
        TextOverlay overlay;
        overlay.text = text;
        overlay.position = {0.25, 0.75};
        const QRectF hit = TextSelectionHandle{overlay, false, frame.size()}.hitRect();
        QCOMPARE(hit.width(), width);
        QCOMPARE(hit.height(), 28.0);
        QCOMPARE(hit.center(), QPointF(100, 50));
    }

    void shapeHitRect_data()
    {
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("a box spans its end points")
            << UnitPoint{0.5, 0.25} << UnitPoint{0.25, 0.75} << QRectF(100, 50, 100, 100);
        QTest::newRow("a level line is 20 points high about its centre")
            << UnitPoint{0.25, 0.5} << UnitPoint{0.75, 0.5} << QRectF(100, 90, 200, 20);
        QTest::newRow("a dot is a 20-point square")
            << UnitPoint{0.5, 0.5} << UnitPoint{0.5, 0.5} << QRectF(190, 90, 20, 20);
    }
    void shapeHitRect()
    {
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        QFETCH(QRectF, expected);
        ShapeOverlay shape;
        shape.startPoint = start;
        shape.endPoint = end;
        const ShapeSelectionHandle handle{shape, false, frame.size()};
        QCOMPARE(handle.hitRect(), expected);
    }

    void hitOrder_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("withRemovalAreas");
        QTest::addColumn<CanvasHit::Kind>("kind");
        QTest::addColumn<int>("index"); // into that kind's list
        // In frame points: the text covers (152..248, 86..114), shape 0
        // (180..280, 90..140), shape 1 (240..320, 110..130) and the removal
        // area (180..220, 80..120).
        QTest::newRow("a press finds the shape above the text, through the removal area")
            << QPointF(200, 100) << false << CanvasHit::shape << 0;
        QTest::newRow("the later shape lies above the earlier")
            << QPointF(250, 120) << false << CanvasHit::shape << 1;
        QTest::newRow("a double-click finds the removal area on top")
            << QPointF(200, 100) << true << CanvasHit::removal << 0;
        QTest::newRow("text alone") << QPointF(160, 100) << true << CanvasHit::text << 0;
        QTest::newRow("nothing") << QPointF(390, 190) << true << CanvasHit::none << -1;
    }
    void hitOrder()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, withRemovalAreas);
        QFETCH(CanvasHit::Kind, kind);
        QFETCH(int, index);
        QList<TextOverlay> texts(1);
        texts[0].text = QStringLiteral("twelve chars");
        texts[0].position = {0.5, 0.5};
        QList<ShapeOverlay> shapes(2);
        shapes[0].startPoint = {0.45, 0.55};
        shapes[0].endPoint = {0.7, 0.3};
        shapes[1].startPoint = {0.6, 0.45};
        shapes[1].endPoint = {0.8, 0.35};
        QList<RemovalArea> removals(1);
        removals[0].rect = {0.45, 0.4, 0.1, 0.2};

        const CanvasHit hit = hitTest(point, frame.size(), texts, shapes, removals, withRemovalAreas);
        QCOMPARE(hit.kind, kind);
        switch (kind) {
        case CanvasHit::text:
            QCOMPARE(hit.id, texts[index].id);
            break;
        case CanvasHit::shape:
            QCOMPARE(hit.id, shapes[index].id);
            break;
        case CanvasHit::removal:
            QCOMPARE(hit.id, removals[index].id);
            break;
        case CanvasHit::none:
            break;
        }
    }

    void removalFromDrag_data()
    {
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("release");
        QTest::addColumn<bool>("created");
        QTest::addColumn<UnitRect>("expected");
        QTest::newRow("from above-left of the image: left and top edges on the image's")
            << QPointF(60, 20) << QPointF(300, 150) << true << UnitRect{0, 0.5, 0.5, 0.5};
        QTest::newRow("drawn upwards, origin is still the bottom-left corner")
            << QPointF(300, 250) << QPointF(200, 150) << true << UnitRect{0.25, 0, 0.25, 0.5};
        QTest::newRow("wholly left of the image")
            << QPointF(10, 60) << QPointF(90, 200) << false << UnitRect{};
        QTest::newRow("wholly above the image") << QPointF(150, 0) << QPointF(400, 40) << false << UnitRect{};
        QTest::newRow("wholly below the image")
            << QPointF(150, 260) << QPointF(400, 400) << false << UnitRect{};
        QTest::newRow("under one percent wide is a slip")
            << QPointF(200, 100) << QPointF(203, 200) << false << UnitRect{};
        QTest::newRow("just over one percent counts")
            << QPointF(200, 100) << QPointF(205, 200) << true << UnitRect{0.25, 0.25, 0.0125, 0.5};
    }
    void removalFromDrag()
    {
        QFETCH(QPointF, press);
        QFETCH(QPointF, release);
        QFETCH(bool, created);
        QFETCH(UnitRect, expected);
        const auto rect = removalRectFromDrag(press, release, frame);
        QCOMPARE(bool(rect), created);
        if (created) {
            QVERIFY(near(rect->x, expected.x) && near(rect->y, expected.y));
            QVERIFY(near(rect->width, expected.width) && near(rect->height, expected.height));
        }
    }

    void moves_data()
    {
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<QPointF>("translation");
        QTest::addColumn<UnitPoint>("movedStart");
        QTest::addColumn<UnitPoint>("movedEnd");
        QTest::newRow("inside the image both points follow")
            << UnitPoint{0.2, 0.4} << UnitPoint{0.4, 0.6} << QPointF(40, 20) << UnitPoint{0.3, 0.3}
            << UnitPoint{0.5, 0.5};
        QTest::newRow("against the left edge the shape is squeezed")
            << UnitPoint{0.1, 0.4} << UnitPoint{0.3, 0.6} << QPointF(-60, 0) << UnitPoint{0, 0.4}
            << UnitPoint{0.15, 0.6};
        QTest::newRow("past the top edge both points stop at 1")
            << UnitPoint{0.5, 0.8} << UnitPoint{0.6, 0.9} << QPointF(0, -100) << UnitPoint{0.5, 1}
            << UnitPoint{0.6, 1};
    }
    void moves()
    {
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        QFETCH(QPointF, translation);
        QFETCH(UnitPoint, movedStart);
        QFETCH(UnitPoint, movedEnd);
        const auto [s, e] = movedShapePoints({start, end}, translation, frame.size());
        QVERIFY(near(s, movedStart));
        QVERIFY(near(e, movedEnd));
        // A text moves like the shape's first point.
        QVERIFY(near(movedTextPosition(start, translation, frame.size()), movedStart));
    }
};

QTEST_GUILESS_MAIN(TestCanvasGeometry)
#include "tst_canvas_geometry.moc"
