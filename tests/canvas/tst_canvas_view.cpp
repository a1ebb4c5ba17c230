// The canvas driven as a user drives it: mouse presses, moves, releases and
// double-clicks on the real widget, checked against the model. Expected unit
// coordinates come from canvas_coordinates.h, which tst_canvas_geometry pins.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_interaction.h"
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

bool near(UnitPoint a, UnitPoint b)
{
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9;
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
        state.loadImage(test::solidImage(400, 300, QColor(40, 120, 200)), false);
    }
    [[nodiscard]] bool settle() const
    {
        return QTest::qWaitFor(
            [&] { return !state.isProcessing() && state.currentTab() && state.currentTab()->processedImage; },
            5000);
    }
    QRectF frame() const
    {
        const QImage& shown = *state.currentTab()->processedImage;
        return canvas::fittedImageFrame(QSizeF(view.size()), QSizeF(shown.size()) / shown.devicePixelRatio());
    }
    QPoint at(UnitPoint u) const { return canvas::unitToCanvas(u, frame()).toPoint(); }
    UnitPoint unitAt(QPoint p) const { return canvas::canvasToUnit(p, frame()); }
    QWidget* editor() const { return view.findChild<QWidget*>(QStringLiteral("textEditor")); }
    QLineEdit* field() const { return view.findChild<QLineEdit*>(QStringLiteral("textField")); }

    AppState state;
    CanvasView view;
};

enum class Ending { returnKey, clickElsewhere, deselect, undo };

} // namespace

Q_DECLARE_METATYPE(Ending)

class TestCanvasView : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void drawOnCanvas_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<UnitPoint>("from");
        QTest::addColumn<UnitPoint>("to");
        const auto shape = CanvasTool::shape;
        QTest::newRow("arrow drawn down and right")
            << shape << ShapeType::arrow << UnitPoint{0.2, 0.8} << UnitPoint{0.6, 0.3};
        QTest::newRow("arrow drawn up and left keeps its direction")
            << shape << ShapeType::arrow << UnitPoint{0.6, 0.3} << UnitPoint{0.2, 0.8};
        QTest::newRow("rectangle released beside the image ends on its edge")
            << shape << ShapeType::rectangle << UnitPoint{0.5, 0.5} << UnitPoint{1.1, 0.4};
        QTest::newRow("remove tool from above-left of the image to its middle")
            << CanvasTool::remove << ShapeType::arrow << UnitPoint{-0.02, 1.03} << UnitPoint{0.5, 0.5};
        QTest::newRow("the select tool draws nothing")
            << CanvasTool::select << ShapeType::arrow << UnitPoint{0.2, 0.8} << UnitPoint{0.6, 0.3};
    }
    void drawOnCanvas()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(ShapeType, type);
        QFETCH(UnitPoint, from);
        QFETCH(UnitPoint, to);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(tool);
        canvas.state.setCurrentShapeType(type);
        const QPoint press = canvas.at(from), release = canvas.at(to);
        drag(&canvas.view, press, release);

        const QList<ShapeOverlay> shapes = canvas.state.currentShapeOverlays();
        const QList<RemovalArea> areas = canvas.state.currentRemovalAreas();
        QCOMPARE(shapes.size(), tool == CanvasTool::shape ? 1 : 0);
        QCOMPARE(areas.size(), tool == CanvasTool::remove ? 1 : 0);
        if (tool == CanvasTool::remove) {
            QCOMPARE(areas[0].rect, *canvas::removalRectFromDrag(press, release, canvas.frame()));
            QCOMPARE(areas[0].method, RemovalMethod::contentAware);
        }
        if (tool != CanvasTool::shape)
            return;
        QCOMPARE(shapes[0].startPoint, canvas.unitAt(press));
        QCOMPARE(shapes[0].endPoint, canvas.unitAt(release));
        QCOMPARE(shapes[0].shapeType, type);
        QCOMPARE(canvas.state.selectedShapeOverlayId(), shapes[0].id);
        QVERIFY(canvas.settle());
        canvas.state.undo();
        QVERIFY(canvas.state.currentShapeOverlays().isEmpty());
    }

    void previewFollowsTheDragEvenWithoutAnImage()
    {
        AppState state(m_home.path());
        CanvasView view(state);
        view.resize(400, 300);
        view.show();
        state.setCurrentTool(CanvasTool::remove);
        // Corners of the drag below, away from the empty state in the middle.
        const QPoint inside(60, 45), before(10, 45), beyond(110, 45);
        const QImage idle = view.grab().toImage();
        auto changed = [&](QPoint p) { return view.grab().toImage().pixel(p) != idle.pixel(p); };
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 70));
        QTest::mouseMove(&view, QPoint(97, 68)); // under the threshold: no preview yet
        QVERIFY(!changed(inside));
        QTest::mouseMove(&view, QPoint(20, 20));
        QVERIFY(changed(inside));
        QVERIFY(!changed(before) && !changed(beyond));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!changed(inside));
        QVERIFY(state.currentRemovalAreas().isEmpty());
    }

    void clickDeselects_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QPoint>("wiggle");
        QTest::newRow("select tool") << CanvasTool::select << QPoint(0, 0);
        QTest::newRow("remove tool, moved under the threshold") << CanvasTool::remove << QPoint(3, 3);
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
            << true << CanvasTool::shape << UnitPoint{0.5, 0.5} << QPoint(120, 50) << true;
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

        const QPoint from = canvas.at(grab);
        drag(&canvas.view, from, from + translation, 6);
        const QSizeF f = canvas.frame().size();
        const double dx = moves ? translation.x() / f.width() : 0;
        const double dy = moves ? -translation.y() / f.height() : 0;
        auto moved = [&](UnitPoint p) {
            return UnitPoint{canvas::clampUnit(p.x + dx), canvas::clampUnit(p.y + dy)};
        };
        if (isText) {
            QVERIFY(near(canvas.state.currentTextOverlays()[0].position, moved(text.position)));
        } else {
            const ShapeOverlay now = canvas.state.currentShapeOverlays()[0];
            QVERIFY(near(now.startPoint, moved(shape.startPoint)) &&
                    near(now.endPoint, moved(shape.endPoint)));
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

    void secondMoveStartsWhereTheFirstEnded()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTextOverlays({TextOverlay{}});
        drag(&canvas.view, canvas.at({0.5, 0.5}), canvas.at({0.6, 0.5}));
        QVERIFY(canvas.settle());
        const TextOverlay first = canvas.state.currentTextOverlays()[0];
        const QPoint from = canvas.at(first.position), to = canvas.at({0.6, 0.7});
        drag(&canvas.view, from, to);

        const UnitPoint offset = canvas::translationToUnit(to - from, canvas.frame().size());
        const UnitPoint expected{first.position.x + offset.x, first.position.y + offset.y};
        QVERIFY(near(canvas.state.currentTextOverlays()[0].position, expected));
        // The second move is an undo step of its own.
        QVERIFY(canvas.settle());
        canvas.state.undo();
        QCOMPARE(canvas.state.currentTextOverlays()[0], first);
        QVERIFY(canvas.state.historyManager().canUndo());
    }

    void editTextInPlace_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("written"); // null: the text is gone
        QTest::newRow("Return commits") << Ending::returnKey << QStringLiteral("Hello");
        QTest::newRow("a click elsewhere commits") << Ending::clickElsewhere << QStringLiteral("Hello");
        QTest::newRow("a deselect from elsewhere commits") << Ending::deselect << QStringLiteral("Hello");
        QTest::newRow("an undo while typing leaves nothing to write to") << Ending::undo << QString();
    }
    void editTextInPlace()
    {
        QFETCH(Ending, ending);
        QFETCH(QString, written);
        Canvas canvas(m_home.path());
        canvas.view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&canvas.view));
        QVERIFY(canvas.settle());
        TextOverlay text;
        text.text = QStringLiteral("Caption");
        canvas.state.saveToHistory(); // the step that added the text
        canvas.state.setCurrentTextOverlays({text});

        doubleClick(&canvas.view, canvas.at(text.position));
        QCOMPARE(canvas.state.selectedTextOverlayId(), text.id);
        QLineEdit* field = canvas.field();
        QVERIFY(field && canvas.editor()->isVisible());
        QCOMPARE(field->text(), text.text);
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("Hello")); // replaces the selected text

        switch (ending) {
        case Ending::returnKey:
            QTest::keyClick(field, Qt::Key_Return);
            break;
        case Ending::clickElsewhere:
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.05, 0.05}));
            break;
        case Ending::deselect:
            canvas.state.setSelectedTextOverlayId(std::nullopt);
            break;
        case Ending::undo:
            canvas.state.undo();
            break;
        }
        QVERIFY(!canvas.editor()->isVisible());
        if (written.isNull()) {
            QVERIFY(canvas.state.currentTextOverlays().isEmpty()); // not brought back
            return;
        }
        QCOMPARE(canvas.state.currentTextOverlays()[0].text, written);
        QVERIFY(canvas.state.isProcessing());
        // Typing is no undo step of its own: one undo goes back before the text.
        QVERIFY(canvas.settle());
        canvas.state.undo();
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
