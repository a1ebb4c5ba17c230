// The canvas driven as a user drives it: mouse presses, moves, releases and
// double-clicks on the real widget, checked against the model.
#include "canvas/canvas_view.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QLineEdit>
#include <QTest>

using namespace lustrelab;

Q_DECLARE_METATYPE(lustrelab::CanvasTool)
Q_DECLARE_METATYPE(lustrelab::ShapeType)
Q_DECLARE_METATYPE(lustrelab::UnitPoint)

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

double clampUnit(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// The expected unit coordinates of a view point, worked out from the frame.
UnitPoint expectedUnit(QPoint p, const QRectF& f)
{
    return {clampUnit((p.x() - f.left()) / f.width()), clampUnit(1 - (p.y() - f.top()) / f.height())};
}

QPoint viewPoint(UnitPoint u, const QRectF& f)
{
    return QPointF(f.left() + u.x * f.width(), f.top() + (1 - u.y) * f.height()).toPoint();
}

void drag(QWidget* widget, QPoint from, QPoint to, int steps = 4)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(widget, from + (to - from) * i / steps);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A canvas on a freshly loaded, composed screenshot.
struct Canvas
{
    explicit Canvas(const QString& home) : state(home), view(state)
    {
        view.resize(848, 648);
        view.show();
        QImage screenshot(400, 300, QImage::Format_ARGB32_Premultiplied);
        screenshot.fill(QColor(40, 120, 200));
        state.loadImage(screenshot, false);
    }
    [[nodiscard]] bool settle() const
    {
        return QTest::qWaitFor(
            [&] { return !state.isProcessing() && state.currentTab() && state.currentTab()->processedImage; },
            5000);
    }
    QRectF frame() const { return view.imageFrame(); }
    QPoint at(UnitPoint u) const { return viewPoint(u, frame()); }

    AppState state;
    CanvasView view;
};

} // namespace

class TestCanvasView : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void dragCreatesShape_data()
    {
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<UnitPoint>("from");
        QTest::addColumn<UnitPoint>("to");
        QTest::newRow("arrow drawn down and right")
            << ShapeType::arrow << UnitPoint{0.2, 0.8} << UnitPoint{0.6, 0.3};
        QTest::newRow("arrow drawn up and left keeps its direction")
            << ShapeType::arrow << UnitPoint{0.6, 0.3} << UnitPoint{0.2, 0.8};
        QTest::newRow("rectangle released beside the image ends on its edge")
            << ShapeType::rectangle << UnitPoint{0.5, 0.5} << UnitPoint{1.1, 0.4};
    }
    void dragCreatesShape()
    {
        QFETCH(ShapeType, type);
        QFETCH(UnitPoint, from);
        QFETCH(UnitPoint, to);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(CanvasTool::shape);
        canvas.state.setCurrentShapeType(type);
        const QPoint press = canvas.at(from), release = canvas.at(to);
        drag(&canvas.view, press, release);

        const QList<ShapeOverlay> shapes = canvas.state.currentShapeOverlays();
        QCOMPARE(shapes.size(), 1);
        const UnitPoint start = expectedUnit(press, canvas.frame()),
                        end = expectedUnit(release, canvas.frame());
        QVERIFY(near(shapes[0].startPoint.x, start.x) && near(shapes[0].startPoint.y, start.y));
        QVERIFY(near(shapes[0].endPoint.x, end.x) && near(shapes[0].endPoint.y, end.y));
        QCOMPARE(shapes[0].shapeType, type);
        QCOMPARE(canvas.state.selectedShapeOverlayId(), shapes[0].id);
        QVERIFY(!canvas.view.currentDragRect());
        QVERIFY(canvas.settle());
        canvas.state.undo();
        QVERIFY(canvas.state.currentShapeOverlays().isEmpty());
    }

    void removeDrag_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QPoint>("fromCorner"); // offset from the frame's top-left corner
        QTest::addColumn<QPoint>("toCorner");
        QTest::addColumn<bool>("created");
        QTest::newRow("from above-left of the image to its middle")
            << CanvasTool::remove << QPoint(-15, -15) << QPoint(200, 150) << true;
        QTest::newRow("wholly left of the image")
            << CanvasTool::remove << QPoint(-20, 20) << QPoint(-3, 200) << false;
        QTest::newRow("wholly above the image")
            << CanvasTool::remove << QPoint(40, -20) << QPoint(300, -2) << false;
        QTest::newRow("the select tool draws nothing")
            << CanvasTool::select << QPoint(20, 20) << QPoint(200, 150) << false;
    }
    void removeDrag()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(QPoint, fromCorner);
        QFETCH(QPoint, toCorner);
        QFETCH(bool, created);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(tool);
        const QRectF frame = canvas.frame();
        const QPoint corner = frame.topLeft().toPoint();
        const QPoint release = corner + toCorner;
        drag(&canvas.view, corner + fromCorner, release);

        const QList<RemovalArea> areas = canvas.state.currentRemovalAreas();
        QCOMPARE(areas.size(), created ? 1 : 0);
        QVERIFY(canvas.state.currentShapeOverlays().isEmpty());
        if (!created)
            return;
        const UnitRect rect = areas[0].rect;
        QVERIFY(near(rect.x, 0));               // the image's left edge
        QVERIFY(near(rect.y + rect.height, 1)); // the image's top edge
        const UnitPoint end = expectedUnit(release, frame);
        QVERIFY(near(rect.width, end.x));
        QVERIFY(near(rect.y, end.y));
        QCOMPARE(areas[0].method, RemovalMethod::contentAware);
    }

    void previewFollowsTheDragEvenWithoutAnImage()
    {
        AppState state(m_home.path());
        CanvasView view(state);
        view.resize(400, 300);
        view.show();
        state.setCurrentTool(CanvasTool::remove);
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(200, 150));
        QTest::mouseMove(&view, QPoint(197, 148)); // under the threshold: no preview yet
        QVERIFY(!view.currentDragRect());
        QTest::mouseMove(&view, QPoint(120, 100));
        QCOMPARE(view.currentDragRect(), QRectF(120, 100, 80, 50));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(120, 100));
        QVERIFY(!view.currentDragRect());
        QVERIFY(state.currentRemovalAreas().isEmpty());
    }

    void clickDeselects_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QPoint>("wiggle");
        QTest::newRow("select tool") << CanvasTool::select << QPoint(0, 0);
        QTest::newRow("text tool") << CanvasTool::text << QPoint(0, 0);
        QTest::newRow("shape tool") << CanvasTool::shape << QPoint(0, 0);
        QTest::newRow("remove tool, moved under the threshold") << CanvasTool::remove << QPoint(3, 3);
        QTest::newRow("shape tool, moved under the threshold") << CanvasTool::shape << QPoint(4, 0);
    }
    void clickDeselects()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(QPoint, wiggle);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.addTextOverlay();
        canvas.state.addShapeOverlay(); // selected; lies between 0.3 and 0.7
        QVERIFY(canvas.state.selectedShapeOverlayId());
        canvas.state.setCurrentTool(tool);
        const QPoint empty = canvas.at({0.05, 0.95});
        drag(&canvas.view, empty, empty + wiggle, 1);

        QVERIFY(!canvas.state.selectedShapeOverlayId());
        QVERIFY(!canvas.state.selectedTextOverlayId());
        QCOMPARE(canvas.state.currentShapeOverlays().size(), 1);
        QVERIFY(canvas.state.currentRemovalAreas().isEmpty());
    }

    void clickSelects()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.addTextOverlay(); // at the middle
        canvas.state.addShapeOverlay();
        ShapeOverlay shape = canvas.state.currentShapeOverlays()[0];
        shape.startPoint = {0.1, 0.1};
        shape.endPoint = {0.2, 0.2};
        canvas.state.setCurrentShapeOverlays({shape});
        const QUuid textId = canvas.state.currentTextOverlays()[0].id;

        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.5, 0.5}));
        QCOMPARE(canvas.state.selectedTextOverlayId(), textId);
        QVERIFY(!canvas.state.selectedShapeOverlayId());
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.15, 0.15}));
        QCOMPARE(canvas.state.selectedShapeOverlayId(), shape.id);
        QVERIFY(!canvas.state.selectedTextOverlayId());
    }

    void moveOverlay_data()
    {
        QTest::addColumn<bool>("isText");
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<UnitPoint>("grab");
        QTest::addColumn<QPoint>("translation");
        QTest::addColumn<bool>("moves");
        // The shape spans (0.1, 0.4) to (0.3, 0.6); the text sits at (0.5, 0.5).
        QTest::newRow("shape pushed against the left edge")
            << false << CanvasTool::select << UnitPoint{0.2, 0.5} << QPoint(-150, 0) << true;
        QTest::newRow("shape dragged with the remove tool moves, marks nothing")
            << false << CanvasTool::remove << UnitPoint{0.2, 0.5} << QPoint(60, -40) << true;
        QTest::newRow("text follows the pointer")
            << true << CanvasTool::select << UnitPoint{0.5, 0.5} << QPoint(120, 50) << true;
        QTest::newRow("text pushed past the right edge stops there")
            << true << CanvasTool::shape << UnitPoint{0.5, 0.5} << QPoint(900, 0) << true;
        QTest::newRow("a shape nudged under 10 points stays")
            << false << CanvasTool::select << UnitPoint{0.2, 0.5} << QPoint(6, 6) << false;
    }
    void moveOverlay()
    {
        QFETCH(bool, isText);
        QFETCH(CanvasTool, tool);
        QFETCH(UnitPoint, grab);
        QFETCH(QPoint, translation);
        QFETCH(bool, moves);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        TextOverlay text;
        ShapeOverlay shape;
        shape.startPoint = {0.1, 0.4};
        shape.endPoint = {0.3, 0.6};
        canvas.state.setCurrentTextOverlays({text});
        canvas.state.setCurrentShapeOverlays({shape});
        canvas.state.setCurrentTool(tool);
        QVERIFY(!canvas.state.historyManager().canUndo());

        const QPoint from = canvas.at(grab);
        drag(&canvas.view, from, from + translation, 6);
        const QSizeF f = canvas.frame().size();
        const double dx = moves ? translation.x() / f.width() : 0;
        const double dy = moves ? -translation.y() / f.height() : 0;
        if (isText) {
            const UnitPoint p = canvas.state.currentTextOverlays()[0].position;
            QVERIFY(near(p.x, clampUnit(0.5 + dx)) && near(p.y, clampUnit(0.5 + dy)));
        } else {
            const ShapeOverlay moved = canvas.state.currentShapeOverlays()[0];
            QVERIFY(near(moved.startPoint.x, clampUnit(0.1 + dx)) &&
                    near(moved.startPoint.y, clampUnit(0.4 + dy)));
            QVERIFY(near(moved.endPoint.x, clampUnit(0.3 + dx)) &&
                    near(moved.endPoint.y, clampUnit(0.6 + dy)));
        }
        QVERIFY(canvas.state.currentRemovalAreas().isEmpty());
        // Moving leaves the selection alone; a nudge is a click and selects.
        QCOMPARE(canvas.state.selectedShapeOverlayId().has_value(), !moves && !isText);
        QCOMPARE(canvas.state.historyManager().canUndo(), moves);
        if (!moves)
            return;

        // One snapshot for the whole move, however many steps it took.
        QVERIFY(canvas.settle());
        canvas.state.undo();
        QCOMPARE(canvas.state.currentTextOverlays()[0], text);
        QCOMPARE(canvas.state.currentShapeOverlays()[0], shape);
        QVERIFY(!canvas.state.historyManager().canUndo());
    }

    void doubleClickEditsText_data()
    {
        QTest::addColumn<bool>("byReturn");
        QTest::newRow("Return commits") << true;
        QTest::newRow("a click elsewhere commits") << false;
    }
    void doubleClickEditsText()
    {
        QFETCH(bool, byReturn);
        Canvas canvas(m_home.path());
        canvas.view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&canvas.view));
        QVERIFY(canvas.settle());
        TextOverlay text;
        text.text = QStringLiteral("Caption");
        canvas.state.setCurrentTextOverlays({text});

        doubleClick(&canvas.view, canvas.at(text.position));
        QCOMPARE(canvas.view.editingTextId(), text.id);
        QCOMPARE(canvas.state.selectedTextOverlayId(), text.id);
        auto* field = canvas.view.findChild<QLineEdit*>();
        QVERIFY(field && field->isVisible());
        QCOMPARE(field->text(), text.text);
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("Hello")); // replaces the selected text

        if (byReturn)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.05, 0.05}));
        QCOMPARE(canvas.state.currentTextOverlays()[0].text, QStringLiteral("Hello"));
        QVERIFY(!canvas.view.editingTextId());
        QVERIFY(!field->isVisible());
        QVERIFY(!canvas.state.historyManager().canUndo()); // typing is no undo step of its own
        QVERIFY(canvas.state.isProcessing());
        QVERIFY(canvas.settle());
    }

    void editedTextThatVanishesIsNotResurrected()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.addTextOverlay();
        const QUuid id = canvas.state.currentTextOverlays()[0].id;
        doubleClick(&canvas.view, canvas.at({0.5, 0.5}));
        QCOMPARE(canvas.view.editingTextId(), id);
        canvas.state.undo(); // the text is gone while its field is open
        QVERIFY(!canvas.view.editingTextId());
        QVERIFY(canvas.state.currentTextOverlays().isEmpty());
    }

    void doubleClickOnRemovalArea_data()
    {
        QTest::addColumn<bool>("twice");
        QTest::newRow("a double-click deletes it") << true;
        QTest::newRow("a single click leaves it") << false;
    }
    void doubleClickOnRemovalArea()
    {
        QFETCH(bool, twice);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.addRemovalArea({0.2, 0.2, 0.4, 0.4}, RemovalMethod::contentAware);
        QVERIFY(canvas.settle());
        const RemovalArea area = canvas.state.currentRemovalAreas()[0];
        const QPoint inside = canvas.at({0.35, 0.45});
        if (twice)
            doubleClick(&canvas.view, inside);
        else
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, inside);
        QCOMPARE(canvas.state.currentRemovalAreas().size(), twice ? 0 : 1);
        if (!twice)
            return;
        QVERIFY(canvas.settle());
        canvas.state.undo();
        QCOMPARE(canvas.state.currentRemovalAreas(), QList<RemovalArea>{area});
    }
};

QTEST_MAIN(TestCanvasView)
#include "tst_canvas_view.moc"
