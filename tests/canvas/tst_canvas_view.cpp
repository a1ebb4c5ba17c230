// The canvas driven as a user drives it, with the mouse and keys on the real
// widget, checked against the model; expected unit coordinates come from
// canvas_coordinates.h, which tst_canvas_painting pins.
#include "canvas_fixtures.h"
#include "record_printers.h"


using namespace lustrelab;
using namespace lustrelab::canvastest;
using test::markerNumbers;

namespace {

void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// The canvas with a scene some tests put on it: a text at the middle, a shape
// from (0.1, 0.1) to (0.2, 0.2) and a removal area from (0.6, 0.1) to (0.8, 0.3).
struct Scene : Canvas
{
    using Canvas::Canvas;
    // On the image, as no undo step.
    void addScene()
    {
        state.setCurrentTextOverlays({text});
        state.setCurrentShapeOverlays({shape});
        state.setCurrentRemovalAreas({area});
    }

    TextOverlay text{.text = QStringLiteral("Caption"), .backgroundColor = std::nullopt};
    ShapeOverlay shape{.startPoint = {0.1, 0.1}, .endPoint = {0.2, 0.2}, .fillColor = std::nullopt};
    RemovalArea area{.rect = {0.6, 0.1, 0.2, 0.2}};
};

} // namespace

class TestCanvasView : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    std::unique_ptr<Scene> m_canvas; // composed, without the scene until a test adds it

  private slots:
    void init()
    {
        m_canvas = std::make_unique<Scene>(m_home.path());
        QVERIFY(m_canvas->settle());
    }
    void cleanup() { m_canvas.reset(); }

    // What each tool's gesture asks reaches the model through the view (the
    // gestures themselves: tst_tool_gestures).
    void editsReachTheModel_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<UnitPoint>("from");
        QTest::addColumn<UnitPoint>("to"); // the same point: a click
        QTest::addColumn<bool>("twice");
        QTest::addColumn<QList<int>>("counts"); // texts, shapes, removal areas, markers, strokes
        QTest::addColumn<std::optional<AnnotationKind>>("selected");
        QTest::addColumn<bool>("undoable");
        // The scene: a text at the middle, a shape at (0.1..0.2, 0.1..0.2), a removal area at (0.6..0.8,
        // 0.1..0.3).
        const auto row = [](const char* name, CanvasTool tool, UnitPoint from, UnitPoint to,
                            QList<int> counts, std::optional<AnnotationKind> selected, bool twice = false) {
            QTest::newRow(name) << tool << from << to << twice << counts << selected
                                << (counts != QList<int>{1, 1, 1, 0, 0});
        };
        const UnitPoint empty{0.3, 0.3};
        row("a shape drawn, selected", CanvasTool::shape, empty, {0.45, 0.2}, {1, 2, 1, 0, 0},
            AnnotationKind::shape);
        row("an area marked for removal, the selection kept", CanvasTool::remove, empty, {0.45, 0.2},
            {1, 1, 2, 0, 0}, AnnotationKind::shape);
        row("a pen stroke drawn, selected", CanvasTool::pen, empty, {0.45, 0.2}, {1, 1, 1, 0, 1},
            AnnotationKind::stroke);
        row("a marker placed, selected", CanvasTool::marker, empty, empty, {1, 1, 1, 1, 0},
            AnnotationKind::marker);
        row("the text clicked, selected", CanvasTool::select, {0.5, 0.5}, {0.5, 0.5}, {1, 1, 1, 0, 0},
            AnnotationKind::text);
        row("a click beside everything clears the selection", CanvasTool::shape, empty, empty,
            {1, 1, 1, 0, 0}, std::nullopt);
        row("a double-click on the removal area deletes it", CanvasTool::select, {0.7, 0.2}, {0.7, 0.2},
            {1, 1, 0, 0, 0}, std::nullopt, true);
    }
    void editsReachTheModel()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(UnitPoint, from);
        QFETCH(UnitPoint, to);
        QFETCH(bool, twice);
        QFETCH(QList<int>, counts);
        QFETCH(std::optional<AnnotationKind>, selected);
        QFETCH(bool, undoable);
        m_canvas->addScene();
        m_canvas->state.selectAnnotation(AnnotationKind::shape, m_canvas->shape.id);
        m_canvas->state.setCurrentTool(tool);
        if (twice)
            doubleClick(&m_canvas->view, m_canvas->at(from));
        else
            drag(&m_canvas->view, m_canvas->at(from), m_canvas->at(to), from == to ? 1 : 4);
        const Annotations& made = m_canvas->state.currentTab()->annotations();
        QCOMPARE((QList<int>{int(made.textOverlays.size()), int(made.shapeOverlays.size()),
                             int(made.removalAreas.size()), int(made.stepMarkers.size()),
                             int(made.penStrokes.size())}),
                 counts);
        QCOMPARE(m_canvas->state.selection() ? std::optional(m_canvas->state.selection()->kind)
                                             : std::nullopt,
                 selected);
        QCOMPARE(m_canvas->state.historyManager().canUndo(), undoable);
    }

    // Each drag of an annotation is one undo step, and the next one starts
    // where it ended; the selection stays as it was (where a move puts it:
    // tst_tool_gestures).
    void dragsAreUndoStepsOfTheirOwn()
    {
        m_canvas->addScene();
        m_canvas->state.setCurrentTool(CanvasTool::shape);
        QList<QList<ShapeOverlay>> steps{{m_canvas->shape}};
        QPoint grab = m_canvas->at({0.15, 0.15});
        for (const QPoint by : {QPoint(40, -30), QPoint(-80, -20)}) {
            drag(&m_canvas->view, grab, grab + by, 6);
            grab += by;
            const UnitPoint offset = canvas::translationToUnit(by, m_canvas->frame().size());
            const UnitPoint before = steps.last()[0].startPoint,
                            after = m_canvas->state.currentShapeOverlays()[0].startPoint;
            QVERIFY(near(after, {before.x + offset.x, before.y + offset.y}));
            steps << m_canvas->state.currentShapeOverlays();
            QCOMPARE(m_canvas->state.selection(), std::nullopt);
            QVERIFY(m_canvas->settle());
        }
        QCOMPARE(m_canvas->state.currentTextOverlays(), QList{m_canvas->text});
        for (int step = 1; step >= 0; --step) {
            m_canvas->state.undo();
            QCOMPARE(m_canvas->state.currentShapeOverlays(), steps[step]);
        }
        QVERIFY(!m_canvas->state.historyManager().canUndo());
    }

    void markersFromClicksAndKeys()
    {
        m_canvas->state.setCurrentTool(CanvasTool::marker);
        const UnitPoint places[] = {{0.3, 0.7}, {0.5, 0.5}, {0.7, 0.3}};
        for (const UnitPoint& p : places)
            QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at(p));
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2, 3}));
        const StepMarker keyed = m_canvas->state.currentStepMarkers().last();
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::marker), keyed.id);
        // The keys act on the selected marker.
        m_canvas->view.setFocus();
        // One point of the composed image per arrow, ten with Shift; y up is unit y up.
        const QSizeF image = m_canvas->imageSize();
        QTest::keyClick(&m_canvas->view, Qt::Key_Right);
        QTest::keyClick(&m_canvas->view, Qt::Key_Up, Qt::ShiftModifier);
        const UnitPoint nudged = m_canvas->state.currentStepMarkers()[2].position;
        QVERIFY(near(nudged, {keyed.position.x + 1 / image.width(), keyed.position.y + 10 / image.height()}));
        m_canvas->state.undo();
        QVERIFY(near(m_canvas->state.currentStepMarkers()[2].position,
                     {keyed.position.x + 1 / image.width(), keyed.position.y}));
        m_canvas->state.undo();
        QCOMPARE(m_canvas->state.currentStepMarkers()[2].position, keyed.position);

        m_canvas->state.selectAnnotation(AnnotationKind::marker, m_canvas->state.currentStepMarkers()[1].id);
        QTest::keyClick(&m_canvas->view, Qt::Key_Delete);
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2}));
        QCOMPARE(m_canvas->state.currentStepMarkers()[1].id, keyed.id);

        QTest::keyClick(&m_canvas->view, Qt::Key_Escape);
        QVERIFY(!m_canvas->state.selectedId(AnnotationKind::marker));
        QTest::keyClick(&m_canvas->view, Qt::Key_Delete); // nothing selected: nothing goes
        QCOMPARE(m_canvas->state.currentStepMarkers().size(), 2);
    }

    void letterKeysPickTools()
    {
        const QString letters = QStringLiteral("VTSEMPHC"); // in the order of the tools
        for (CanvasTool tool : allCases<CanvasTool>()) {
            const auto key = Qt::Key(letters.at(int(tool)).unicode());
            const CanvasTool other = tool == CanvasTool::select ? CanvasTool::pen : CanvasTool::select;
            m_canvas->state.setCurrentTool(other);
            QTest::keyClick(&m_canvas->view, key);
            QCOMPARE(m_canvas->state.currentTool(), tool);
            // With Ctrl the letter belongs to the menus.
            m_canvas->state.setCurrentTool(other);
            QTest::keyClick(&m_canvas->view, key, Qt::ControlModifier);
            QCOMPARE(m_canvas->state.currentTool(), other);
        }
    }
};

QTEST_MAIN(TestCanvasView)
#include "tst_canvas_view.moc"
