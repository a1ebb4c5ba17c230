// The canvas's geometry without a widget: conversions between canvas points
// and unit coordinates, the hit areas, and what a drag produces (moves are
// checked on the real view in tst_canvas_view, the text area's copy in
// tst_text_commands).
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_interaction.h"
#include "canvas/shape_selection_handle.h"
#include "canvas/text_area_gesture.h"
#include "canvas/text_selection_handle.h"
#include "canvas_fixtures.h"
#include "record_printers.h"

using namespace lustrelab;
using namespace lustrelab::canvas;
using lustrelab::canvastest::near;

Q_DECLARE_METATYPE(lustrelab::CanvasTool)
Q_DECLARE_METATYPE(lustrelab::UnitPoint)
Q_DECLARE_METATYPE(std::optional<lustrelab::UnitRect>)
Q_DECLARE_METATYPE(lustrelab::canvas::CanvasHit::Kind)

namespace {

// The image frame most rows use: 400 x 200 points, 100 in from the left and 50 down.
const QRectF frame(100, 50, 400, 200);

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
        QTEST(fittedImageFrame(canvas, image), "expected");
    }

    void pointConversions_data()
    {
        QTest::addColumn<QPointF>("canvasPoint");
        QTest::addColumn<UnitPoint>("unit");
        QTest::addColumn<bool>("roundTrips");
        // y counts up from the image's bottom edge.
        QTest::newRow("a quarter across, a quarter down")
            << QPointF(200, 100) << UnitPoint{0.25, 0.75} << true;
        QTest::newRow("above-left of the image clamps to the corner")
            << QPointF(20, 10) << UnitPoint{0, 1} << false;
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

    void edgeCases()
    {
        // A frame of zero size divides by zero; nothing but [0, 1] may come out.
        const UnitPoint p = canvasToUnit(QPointF(0, 0), QRectF(0, 0, 0, 0));
        QVERIFY(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1);
        // A unit rectangle stores its bottom edge; on screen its top is 1 - (y + height) down.
        QCOMPARE(unitRectToSurface(UnitRect{0.25, 0.5, 0.5, 0.25}, frame.size()), QRectF(100, 50, 200, 50));
    }

    void hitRect_data()
    {
        QTest::addColumn<QString>("text"); // null for a shape
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<QRectF>("expected");
        // A text's rectangle is 28 high about its position, 8 wide per character, at least 60.
        const UnitPoint at{0.25, 0.75};
        QTest::newRow("empty text is still grabbable")
            << QStringLiteral("") << at << at << QRectF(70, 36, 60, 28);
        QTest::newRow("twenty characters")
            << QStringLiteral("abcdefghijklmnopqrst") << at << at << QRectF(20, 36, 160, 28);
        // Ten emoji with skin-tone modifiers: forty UTF-16 units, ten characters.
        QTest::newRow("characters are counted as seen, not as code units")
            << QString::fromUtf8(
                   "👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽")
            << at << at << QRectF(60, 36, 80, 28);
        QTest::newRow("a shape's box spans its end points")
            << QString() << UnitPoint{0.5, 0.25} << UnitPoint{0.25, 0.75} << QRectF(100, 50, 100, 100);
        QTest::newRow("a dot of a shape is a 20-point square")
            << QString() << UnitPoint{0.5, 0.5} << UnitPoint{0.5, 0.5} << QRectF(190, 90, 20, 20);
    }
    void hitRect()
    {
        QFETCH(QString, text);
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        QFETCH(QRectF, expected);
        const TextOverlay overlay{.text = text, .position = start, .backgroundColor = std::nullopt};
        const ShapeOverlay shape{.startPoint = start, .endPoint = end, .fillColor = std::nullopt};
        QCOMPARE((text.isNull() ? ShapeSelectionHandle{shape, false, frame.size()}.hitRect()
                                : TextSelectionHandle{overlay, false, frame.size()}.hitRect()),
                 expected);
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
        QTest::newRow("nothing") << QPointF(390, 190) << true << CanvasHit::none << 0;
    }
    void hitOrder()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, withRemovalAreas);
        QFETCH(CanvasHit::Kind, kind);
        QFETCH(int, index);
        const QList<TextOverlay> texts{
            {.text = QStringLiteral("twelve chars"), .position = {0.5, 0.5}, .backgroundColor = std::nullopt}};
        const QList<ShapeOverlay> shapes{
            {.startPoint = {0.45, 0.55}, .endPoint = {0.7, 0.3}, .fillColor = std::nullopt},
            {.startPoint = {0.6, 0.45}, .endPoint = {0.8, 0.35}, .fillColor = std::nullopt}};
        const QList<RemovalArea> removals{{.rect = {0.45, 0.4, 0.1, 0.2}}};
        const QList<QUuid> ids[] = {{QUuid()}, {texts[0].id}, {shapes[0].id, shapes[1].id}, {removals[0].id}};
        QCOMPARE(hitTest(point, frame.size(), texts, shapes, removals, withRemovalAreas),
                 (CanvasHit{kind, ids[kind][index]}));
    }

    void removalFromDrag_data()
    {
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("release");
        QTest::addColumn<std::optional<UnitRect>>("expected");
        const std::optional<UnitRect> none;
        QTest::newRow("from above-left of the image: left and top edges on the image's")
            << QPointF(60, 20) << QPointF(300, 150) << std::optional(UnitRect{0, 0.5, 0.5, 0.5});
        QTest::newRow("drawn upwards, origin is still the bottom-left corner")
            << QPointF(300, 250) << QPointF(200, 150) << std::optional(UnitRect{0.25, 0, 0.25, 0.5});
        QTest::newRow("wholly above the image") << QPointF(150, 0) << QPointF(400, 40) << none;
        QTest::newRow("under one percent wide is a slip") << QPointF(200, 100) << QPointF(203, 200) << none;
        QTest::newRow("just over one percent counts")
            << QPointF(200, 100) << QPointF(205, 200) << std::optional(UnitRect{0.25, 0.25, 0.0125, 0.5});
    }
    void removalFromDrag()
    {
        QFETCH(QPointF, press);
        QFETCH(QPointF, release);
        QFETCH(std::optional<UnitRect>, expected);
        QVERIFY(near(removalRectFromDrag(press, release, frame), expected));
    }

    void textAreaFromShiftDrag_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("release");
        QTest::addColumn<std::optional<UnitRect>>("expected");
        const std::optional<UnitRect> none;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const auto select = CanvasTool::select;
        QTest::newRow("select tool with Shift: the spanned part, origin bottom-left")
            << select << shift << QPointF(200, 100) << QPointF(300, 200)
            << std::optional(UnitRect{0.25, 0.25, 0.25, 0.5});
        QTest::newRow("dragged up and left gives the same area")
            << select << shift << QPointF(300, 200) << QPointF(200, 100)
            << std::optional(UnitRect{0.25, 0.25, 0.25, 0.5});
        QTest::newRow("past the bottom-right corner clamps to the image")
            << select << shift << QPointF(400, 150) << QPointF(700, 400)
            << std::optional(UnitRect{0.75, 0, 0.25, 0.5});
        QTest::newRow("Shift on the keypad still counts")
            << select << (shift | Qt::KeypadModifier) << QPointF(200, 100) << QPointF(300, 200)
            << std::optional(UnitRect{0.25, 0.25, 0.25, 0.5});
        QTest::newRow("without Shift the drag is a plain one")
            << select << Qt::KeyboardModifiers() << QPointF(200, 100) << QPointF(300, 200) << none;
        QTest::newRow("Ctrl+Shift is another gesture")
            << select << (shift | Qt::ControlModifier) << QPointF(200, 100) << QPointF(300, 200) << none;
        QTest::newRow("another tool keeps its Shift-drag")
            << CanvasTool::shape << shift << QPointF(200, 100) << QPointF(300, 200) << none;
        QTest::newRow("beside the image clamps to a line")
            << select << shift << QPointF(520, 100) << QPointF(600, 200) << none;
        QTest::newRow("thinner than a line of text")
            << select << shift << QPointF(200, 100) << QPointF(300, 103) << none;
    }
    void textAreaFromShiftDrag()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QPointF, press);
        QFETCH(QPointF, release);
        QFETCH(std::optional<UnitRect>, expected);
        QVERIFY(near(startsTextArea(tool, modifiers) ? textAreaFromDrag(press, release, frame) : std::nullopt,
                     expected));
    }
};

QTEST_GUILESS_MAIN(TestCanvasGeometry)
#include "tst_canvas_geometry.moc"
