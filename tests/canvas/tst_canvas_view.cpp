// The canvas driven as a user drives it, with the mouse and keys on the real
// widget, checked against the model; expected unit coordinates come from
// canvas_coordinates.h, which tst_canvas_painting pins.
#include "canvas/canvas_interaction.h"
#include "canvas_fixtures.h"
#include "model/polyline_simplification.h"
#include "record_printers.h"

#include <QLineEdit>

using namespace lustrelab;
using namespace lustrelab::canvastest;
using lustrelab::canvas::CanvasHit;
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

enum class Ending { returnKey, clickElsewhere, deselect, deletion, escape };

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

    void drawOnCanvas_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<UnitPoint>("from");
        QTest::addColumn<UnitPoint>("to");
        const auto shape = CanvasTool::shape;
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
        m_canvas->state.setCurrentTool(tool);
        m_canvas->state.setCurrentShapeType(type);
        const QPoint press = m_canvas->at(from), release = m_canvas->at(to);
        drag(&m_canvas->view, press, release);

        const QList<ShapeOverlay> shapes = m_canvas->state.currentShapeOverlays();
        const QList<RemovalArea> areas = m_canvas->state.currentRemovalAreas();
        QCOMPARE(shapes.size(), tool == CanvasTool::shape ? 1 : 0);
        QCOMPARE(areas.size(), tool == CanvasTool::remove ? 1 : 0);
        if (tool == CanvasTool::remove) {
            QCOMPARE(areas[0].rect, *canvas::removalRectFromDrag(press, release, m_canvas->frame()));
            QCOMPARE(areas[0].method, RemovalMethod::contentAware);
        }
        if (tool != CanvasTool::shape)
            return;
        QCOMPARE(shapes[0].startPoint, m_canvas->unitAt(press));
        QCOMPARE(shapes[0].endPoint, m_canvas->unitAt(release));
        QCOMPARE(shapes[0].shapeType, type);
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::shape), shapes[0].id);
        QVERIFY(m_canvas->settle());
        m_canvas->state.undo();
        QVERIFY(m_canvas->state.currentShapeOverlays().isEmpty());
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

    void click_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<UnitPoint>("at");
        QTest::addColumn<QPoint>("wiggle");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<CanvasHit::Kind>("selected");
        // The text sits at the middle, the shape spans (0.1, 0.1) to (0.2, 0.2)
        // and the removal area (0.6, 0.1) to (0.8, 0.3).
        const auto select = CanvasTool::select;
        QTest::newRow("on the text") << select << UnitPoint{0.5, 0.5} << QPoint() << false << CanvasHit::text;
        QTest::newRow("a shape nudged under 10 points stays and is selected")
            << select << UnitPoint{0.15, 0.15} << QPoint(6, 6) << false << CanvasHit::shape;
        QTest::newRow("remove tool moved under the threshold deselects, marks nothing")
            << CanvasTool::remove << UnitPoint{0.05, 0.95} << QPoint(3, 3) << false << CanvasHit::none;
        QTest::newRow("a single click on a removal area deselects, keeps it")
            << select << UnitPoint{0.7, 0.2} << QPoint() << false << CanvasHit::none;
        QTest::newRow("a double-click on a removal area deletes it")
            << select << UnitPoint{0.7, 0.2} << QPoint() << true << CanvasHit::none;
    }
    void click()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(UnitPoint, at);
        QFETCH(QPoint, wiggle);
        QFETCH(bool, twice);
        QFETCH(CanvasHit::Kind, selected);
        m_canvas->addScene();
        // Whatever the click should select, the other kind is selected before it.
        if (selected == CanvasHit::text)
            m_canvas->state.selectAnnotation(AnnotationKind::shape, m_canvas->shape.id);
        else
            m_canvas->state.selectAnnotation(AnnotationKind::text, m_canvas->text.id);
        m_canvas->state.setCurrentTool(tool);
        if (twice)
            doubleClick(&m_canvas->view, m_canvas->at(at));
        else
            drag(&m_canvas->view, m_canvas->at(at), m_canvas->at(at) + wiggle, 1);

        auto idIf = [&](CanvasHit::Kind kind, QUuid id) {
            return selected == kind ? std::optional(id) : std::nullopt;
        };
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::text), idIf(CanvasHit::text, m_canvas->text.id));
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::shape),
                 idIf(CanvasHit::shape, m_canvas->shape.id));
        QCOMPARE(m_canvas->state.currentShapeOverlays(), QList{m_canvas->shape});
        QCOMPARE(m_canvas->state.currentRemovalAreas(), twice ? QList<RemovalArea>() : QList{m_canvas->area});
        // The deletion is an undo step (what undo gives back: tst_app_state).
        QCOMPARE(m_canvas->state.historyManager().canUndo(), twice);
    }

    void moveOverlay_data()
    {
        QTest::addColumn<bool>("isText");
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QPoint>("translation");
        // The second drag pushes each against an edge: a shape is squeezed, a text stops.
        QTest::newRow("shape dragged with the remove tool, against the left edge")
            << false << CanvasTool::remove << QPoint(-60, -40);
        QTest::newRow("text dragged with the shape tool, against the top edge")
            << true << CanvasTool::shape << QPoint(120, -200);
    }
    // Each row drags twice: the second move starts where the first ended and
    // is an undo step of its own.
    void moveOverlay()
    {
        QFETCH(bool, isText);
        QFETCH(CanvasTool, tool);
        QFETCH(QPoint, translation);
        m_canvas->addScene();
        m_canvas->state.setCurrentTool(tool);
        const QSizeF f = m_canvas->frame().size();
        auto moved = [&](UnitPoint p) {
            return UnitPoint{canvas::clampUnit(p.x + translation.x() / f.width()),
                             canvas::clampUnit(p.y + -translation.y() / f.height())};
        };
        QList<TextOverlay> texts{m_canvas->text};
        QList<ShapeOverlay> shapes{m_canvas->shape};
        const QPoint grab = m_canvas->at(isText ? m_canvas->text.position : UnitPoint{0.15, 0.15});
        for (int step = 1; step <= 2; ++step) {
            const QPoint from = grab + translation * (step - 1);
            drag(&m_canvas->view, from, from + translation, 6);
            TextOverlay text = texts.last();
            ShapeOverlay shape = shapes.last();
            if (isText)
                text.position = moved(text.position);
            else
                std::tie(shape.startPoint, shape.endPoint) =
                    std::pair(moved(shape.startPoint), moved(shape.endPoint));
            QCOMPARE(m_canvas->state.currentTextOverlays(), QList{text});
            QCOMPARE(m_canvas->state.currentShapeOverlays(), QList{shape});
            texts.append(text);
            shapes.append(shape);
            QVERIFY(m_canvas->settle());
        }
        QCOMPARE(m_canvas->state.currentRemovalAreas(), QList{m_canvas->area});
        // Moving leaves the selection alone.
        QVERIFY(!m_canvas->state.selectedId(AnnotationKind::shape) &&
                !m_canvas->state.selectedId(AnnotationKind::text));
        for (int step = 1; step >= 0; --step) {
            m_canvas->state.undo();
            QCOMPARE(m_canvas->state.currentTextOverlays(), QList{texts[step]});
            QCOMPARE(m_canvas->state.currentShapeOverlays(), QList{shapes[step]});
            QVERIFY(m_canvas->settle());
        }
        QVERIFY(!m_canvas->state.historyManager().canUndo());
    }

    void editTextInPlace_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("written"); // null: the text is gone
        QTest::newRow("Return commits") << Ending::returnKey << QStringLiteral("Hello");
        QTest::newRow("a click elsewhere commits") << Ending::clickElsewhere << QStringLiteral("Hello");
        QTest::newRow("a deselect from elsewhere commits") << Ending::deselect << QStringLiteral("Hello");
        QTest::newRow("a text deleted while typing is not brought back") << Ending::deletion << QString();
        QTest::newRow("Escape leaves without committing") << Ending::escape << QStringLiteral("Caption");
    }
    void editTextInPlace()
    {
        QFETCH(Ending, ending);
        QFETCH(QString, written);
        m_canvas->view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_canvas->view));
        m_canvas->addScene();

        doubleClick(&m_canvas->view, m_canvas->at(m_canvas->text.position));
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::text), m_canvas->text.id);
        const auto* editor = m_canvas->view.findChild<QWidget*>(QStringLiteral("textEditor"));
        auto* field = m_canvas->view.findChild<QLineEdit*>(QStringLiteral("textField"));
        QVERIFY(field && editor->isVisible());
        QCOMPARE(field->text(), m_canvas->text.text);
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("Hello")); // replaces the selected text
        switch (ending) {
        case Ending::returnKey:
            QTest::keyClick(field, Qt::Key_Return);
            break;
        case Ending::clickElsewhere:
            QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at({0.05, 0.05}));
            break;
        case Ending::deselect:
            m_canvas->state.clearSelection();
            break;
        case Ending::deletion:
            m_canvas->state.deleteTextOverlay(m_canvas->text);
            break;
        case Ending::escape:
            QTest::keyClick(field, Qt::Key_Escape);
            QVERIFY(m_canvas->view.hasFocus()); // the canvas's keys work again
            break;
        }
        QVERIFY(!editor->isVisible());
        if (written.isNull()) {
            QVERIFY(m_canvas->state.currentTextOverlays().isEmpty());
            return;
        }
        QCOMPARE(m_canvas->state.currentTextOverlays()[0].text, written);
        if (ending == Ending::escape)
            return;
        QVERIFY(m_canvas->state.isProcessing());
        QVERIFY(!m_canvas->state.historyManager().canUndo()); // typing is no undo step of its own
        QVERIFY(m_canvas->settle());
    }

    void markersFromClicksDragsAndKeys()
    {
        m_canvas->state.setCurrentTool(CanvasTool::marker);
        const UnitPoint places[] = {{0.3, 0.7}, {0.5, 0.5}, {0.7, 0.3}};
        for (const UnitPoint& p : places)
            QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at(p));
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2, 3}));
        const StepMarker third = m_canvas->state.currentStepMarkers().last();
        QCOMPARE(third.position, m_canvas->unitAt(m_canvas->at(places[2])));
        QVERIFY(!third.tailPoint); // a click points nowhere
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::marker), third.id);
        // A press on a marker with the marker tool places another, on top.
        QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at(places[0]));
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2, 3, 4}));
        m_canvas->state.undo();
        m_canvas->state.undo();
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2}));

        // A drag places the next one with its tail at the release point.
        const QPoint press = m_canvas->at({0.3, 0.3}), release = m_canvas->at({0.6, 0.55});
        drag(&m_canvas->view, {press, press + QPoint(20, -10), press + QPoint(60, -40), release});
        const StepMarker dragged = m_canvas->state.currentStepMarkers().last();
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2, 3}));
        QCOMPARE(dragged.position, m_canvas->unitAt(press));
        QCOMPARE(dragged.tailPoint, std::optional<UnitPoint>(m_canvas->unitAt(release)));
        m_canvas->state.undo();
        QCOMPARE(markerNumbers(m_canvas->state), (QList<int>{1, 2}));

        // The keys act on the selected marker, a third one clicked in.
        m_canvas->view.setFocus();
        QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at({0.7, 0.6}));
        const StepMarker keyed = m_canvas->state.currentStepMarkers()[2];
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

    void penStrokeIsSimplifiedWithinHalfAPoint_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::newRow("pen") << CanvasTool::pen;
        QTest::newRow("highlighter") << CanvasTool::highlighter;
    }
    void penStrokeIsSimplifiedWithinHalfAPoint()
    {
        QFETCH(CanvasTool, tool);
        m_canvas->state.setCurrentTool(tool);
        // A wave sampled every pixel across the image.
        QList<QPoint> path;
        const QPoint from = m_canvas->at({0.15, 0.5});
        for (int i = 0; i <= 300; ++i)
            path.append(from + QPoint(i, int(std::lround(40 * std::sin(i / 30.0)))));
        drag(&m_canvas->view, path);

        QCOMPARE(m_canvas->state.currentPenStrokes().size(), 1);
        const PenStroke stroke = m_canvas->state.currentPenStrokes()[0];
        QCOMPARE(stroke.highlighter, tool == CanvasTool::highlighter);
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::stroke), stroke.id);
        QVERIFY2(stroke.points.size() < path.size() / 3, qPrintable(QString::number(stroke.points.size())));
        const QList<QPointF> kept = test::mapped(
            stroke.points, [&](UnitPoint p) { return canvas::unitToCanvas(p, m_canvas->frame()); });
        for (const QPoint& p : path)
            QVERIFY2(distanceToPolyline(p, kept) <= 0.5,
                     qPrintable(QStringLiteral("%1, %2 is off").arg(p.x()).arg(p.y())));
        m_canvas->state.undo();
        QVERIFY(m_canvas->state.currentPenStrokes().isEmpty());
    }

    void strokeIsPickedUpAlongItsPathAndMovedWhole()
    {
        // A V: its bounding box holds much that is not on the stroke.
        PenStroke stroke = freshPenStroke(false);
        stroke.points = {{0.2, 0.8}, {0.4, 0.2}, {0.6, 0.8}};
        m_canvas->state.setCurrentPenStrokes({stroke});
        m_canvas->state.setCurrentTool(CanvasTool::select);
        QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at({0.4, 0.7})); // inside the V
        QVERIFY(!m_canvas->state.selectedId(AnnotationKind::stroke));
        // The middle of the drawn curve's first piece (it bends: the curve
        // leaves the bottom point level), from the Bezier points the
        // smoothing gives: (P0 + 3 C1 + 3 C2 + P1) / 8.
        const UnitPoint onCurve{0.2875, 0.4625};
        QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at({0.3, 0.5}) + QPoint(12, 0));
        QVERIFY(!m_canvas->state.selectedId(AnnotationKind::stroke)); // well beside the curve
        QTest::mouseClick(&m_canvas->view, Qt::LeftButton, {}, m_canvas->at(onCurve));
        QCOMPARE(m_canvas->state.selectedId(AnnotationKind::stroke), stroke.id);

        const QPoint grab = m_canvas->at(onCurve);
        const QPoint by(30, 20);
        drag(&m_canvas->view, {grab, grab + by / 2, grab + by});
        const UnitPoint offset = canvas::translationToUnit(by, m_canvas->frame().size());
        const PenStroke moved = m_canvas->state.currentPenStrokes()[0];
        for (qsizetype i = 0; i < stroke.points.size(); ++i)
            QVERIFY(near(moved.points[i], {stroke.points[i].x + offset.x, stroke.points[i].y + offset.y}));
        // Pushed against the top edge it stops there as a whole, keeping its shape.
        drag(&m_canvas->view, {grab + by, grab + by + QPoint(0, -200), grab + by + QPoint(0, -400)});
        const PenStroke pushed = m_canvas->state.currentPenStrokes()[0];
        QCOMPARE(pushed.points[0].y, 1.0);
        QVERIFY(near({0, pushed.points[0].y - pushed.points[1].y}, {0, 0.6}));
        m_canvas->state.undo();
        m_canvas->state.undo();
        QCOMPARE(m_canvas->state.currentPenStrokes()[0], stroke);
    }

    void cropDraggedOutAndApplied()
    {
        m_canvas->view.setFocus();
        m_canvas->state.setCurrentTool(CanvasTool::crop);
        // The 400 x 300 screenshot lies at (64, 64) points of the 528 x 428
        // canvas (padding 64); a screenshot pixel as a canvas point:
        const QRectF frame = m_canvas->frame();
        const double scale = frame.width() / 528;
        auto at = [&](double x, double y) {
            return (frame.topLeft() + QPointF(64 + x, 64 + y) * scale).toPoint();
        };

        // Escape drops the rectangle; Return then has nothing to apply.
        drag(&m_canvas->view, {at(100, 50), at(200, 150), at(300, 250)});
        QTest::keyClick(&m_canvas->view, Qt::Key_Escape);
        QTest::keyClick(&m_canvas->view, Qt::Key_Return);
        QVERIFY(!m_canvas->state.currentCrop());

        // Dragged out beyond the screenshot's right edge, it stops there.
        drag(&m_canvas->view, {at(100, 50), at(200, 150), at(300, 250)});
        // The right edge's handle widens it past the screenshot.
        drag(&m_canvas->view, {at(300, 150), at(350, 150), at(450, 150)});
        QTest::keyClick(&m_canvas->view, Qt::Key_Return);
        // x 100..400 of 400, y 50..250 from the top of 300: from the bottom 50..250.
        QVERIFY2(near(m_canvas->state.currentCrop(), UnitRect{0.25, 50.0 / 300, 0.75, 200.0 / 300}, 0.01),
                 qPrintable(toString(m_canvas->state.currentCrop().value_or(UnitRect{}))));
        QVERIFY(m_canvas->settle());
        const QImage& shown = *m_canvas->state.currentTab()->processedImage;
        QCOMPARE(QSizeF(shown.size()) / shown.devicePixelRatio(), QSizeF(300 + 128, 200 + 128));
        m_canvas->state.undo();
        QVERIFY(!m_canvas->state.currentCrop());
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
