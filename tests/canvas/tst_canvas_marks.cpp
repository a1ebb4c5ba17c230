// The marker, pen and highlighter tools and the canvas's keys, driven with
// Qt Test's mouse and key events on the real widget and checked against the
// model: a click places the next number, a drag points a tail at the release
// point, a pen stroke is simplified yet stays within half a point of the
// pointer's path, strokes are picked up along their path and moved whole,
// and Delete, the arrows, Escape and the tool letters act on the selection.

#include "canvas_fixtures.h"
#include "model/polyline_simplification.h"
#include "record_printers.h"

using namespace lustrelab;
using namespace lustrelab::canvastest;
using test::markerNumbers;

Q_DECLARE_METATYPE(lustrelab::CanvasTool)

class TestCanvasMarks : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void clicksAndDragsPlaceMarkers()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(CanvasTool::marker);
        const UnitPoint places[] = {{0.3, 0.7}, {0.5, 0.5}, {0.7, 0.3}};
        for (const UnitPoint& p : places)
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at(p));
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2, 3}));
        const StepMarker third = canvas.state.currentStepMarkers().last();
        QCOMPARE(third.position, canvas.unitAt(canvas.at(places[2])));
        QVERIFY(!third.tailPoint); // a click points nowhere
        QCOMPARE(canvas.state.selectedStepMarkerId(), third.id);
        // A press on a marker with the marker tool places another, on top.
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at(places[0]));
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2, 3, 4}));
        canvas.state.undo();
        canvas.state.undo();
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2}));

        // A drag places the next one with its tail at the release point.
        const QPoint press = canvas.at({0.3, 0.3}), release = canvas.at({0.6, 0.55});
        drag(&canvas.view, {press, press + QPoint(20, -10), press + QPoint(60, -40), release});
        const StepMarker dragged = canvas.state.currentStepMarkers().last();
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2, 3}));
        QCOMPARE(dragged.position, canvas.unitAt(press));
        QCOMPARE(dragged.tailPoint, std::optional<UnitPoint>(canvas.unitAt(release)));
        canvas.state.undo();
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2}));
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
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(tool);
        // A wave sampled every pixel across the image.
        QList<QPoint> path;
        const QPoint from = canvas.at({0.15, 0.5});
        for (int i = 0; i <= 300; ++i)
            path.append(from + QPoint(i, int(std::lround(40 * std::sin(i / 30.0)))));
        drag(&canvas.view, path);

        QCOMPARE(canvas.state.currentPenStrokes().size(), 1);
        const PenStroke stroke = canvas.state.currentPenStrokes()[0];
        QCOMPARE(stroke.highlighter, tool == CanvasTool::highlighter);
        QCOMPARE(canvas.state.selectedPenStrokeId(), stroke.id);
        QVERIFY2(stroke.points.size() < path.size() / 3, qPrintable(QString::number(stroke.points.size())));
        QList<QPointF> kept;
        for (const UnitPoint& p : stroke.points)
            kept.append(canvas::unitToCanvas(p, canvas.frame()));
        for (const QPoint& p : path)
            QVERIFY2(distanceToPolyline(p, kept) <= 0.5,
                     qPrintable(QStringLiteral("%1, %2 is off").arg(p.x()).arg(p.y())));
        canvas.state.undo();
        QVERIFY(canvas.state.currentPenStrokes().isEmpty());
    }

    void strokeIsPickedUpAlongItsPathAndMovedWhole()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        // A V: its bounding box holds much that is not on the stroke.
        PenStroke stroke = freshPenStroke(false);
        stroke.points = {{0.2, 0.8}, {0.4, 0.2}, {0.6, 0.8}};
        canvas.state.setCurrentPenStrokes({stroke});
        canvas.state.setCurrentTool(CanvasTool::select);
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.4, 0.7})); // inside the V
        QVERIFY(!canvas.state.selectedPenStrokeId());
        // The middle of the drawn curve's first piece (it bends: the curve
        // leaves the bottom point level), from the Bezier points the
        // smoothing gives: (P0 + 3 C1 + 3 C2 + P1) / 8.
        const UnitPoint onCurve{0.2875, 0.4625};
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.3, 0.5}) + QPoint(12, 0));
        QVERIFY(!canvas.state.selectedPenStrokeId()); // well beside the curve
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at(onCurve));
        QCOMPARE(canvas.state.selectedPenStrokeId(), stroke.id);

        const QPoint grab = canvas.at(onCurve);
        const QPoint by(30, 20);
        drag(&canvas.view, {grab, grab + by / 2, grab + by});
        const UnitPoint offset = canvas::translationToUnit(by, canvas.frame().size());
        const PenStroke moved = canvas.state.currentPenStrokes()[0];
        for (qsizetype i = 0; i < stroke.points.size(); ++i)
            QVERIFY(
                near(moved.points[i], {stroke.points[i].x + offset.x, stroke.points[i].y + offset.y}));
        // Pushed against the top edge it stops there as a whole, keeping its shape.
        drag(&canvas.view, {grab + by, grab + by + QPoint(0, -200), grab + by + QPoint(0, -400)});
        const PenStroke pushed = canvas.state.currentPenStrokes()[0];
        QCOMPARE(pushed.points[0].y, 1.0);
        QVERIFY(near({0, pushed.points[0].y - pushed.points[1].y}, {0, 0.6}));
        canvas.state.undo();
        canvas.state.undo();
        QCOMPARE(canvas.state.currentPenStrokes()[0], stroke);
    }

    void keysActOnTheSelection()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.view.setFocus();
        canvas.state.setCurrentTool(CanvasTool::marker);
        for (const UnitPoint& p : {UnitPoint{0.2, 0.5}, UnitPoint{0.4, 0.5}, UnitPoint{0.6, 0.5}})
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at(p));
        const StepMarker third = canvas.state.currentStepMarkers()[2];

        // One point of the composed image per arrow, ten with Shift; y up is unit y up.
        const QSizeF image = canvas.imageSize();
        QTest::keyClick(&canvas.view, Qt::Key_Right);
        QTest::keyClick(&canvas.view, Qt::Key_Up, Qt::ShiftModifier);
        const UnitPoint nudged = canvas.state.currentStepMarkers()[2].position;
        QVERIFY(
            near(nudged, {third.position.x + 1 / image.width(), third.position.y + 10 / image.height()}));
        canvas.state.undo();
        QVERIFY(near(canvas.state.currentStepMarkers()[2].position,
                         {third.position.x + 1 / image.width(), third.position.y}));
        canvas.state.undo();
        QCOMPARE(canvas.state.currentStepMarkers()[2].position, third.position);

        // Delete removes the selected one and the rest close up.
        canvas.state.setSelectedStepMarkerId(canvas.state.currentStepMarkers()[1].id);
        QTest::keyClick(&canvas.view, Qt::Key_Delete);
        QCOMPARE(markerNumbers(canvas.state), (QList<int>{1, 2}));
        QCOMPARE(canvas.state.currentStepMarkers()[1].id, third.id);

        QTest::keyClick(&canvas.view, Qt::Key_Escape);
        QVERIFY(!canvas.state.selectedStepMarkerId());
        QTest::keyClick(&canvas.view, Qt::Key_Delete); // nothing selected: nothing goes
        QCOMPARE(canvas.state.currentStepMarkers().size(), 2);
    }

    void cropDraggedOutAndApplied()
    {
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        canvas.view.setFocus();
        canvas.state.setCurrentTool(CanvasTool::crop);
        // The 400 x 300 screenshot lies at (64, 64) points of the 528 x 428
        // canvas (padding 64); a screenshot pixel as a canvas point:
        const QRectF frame = canvas.frame();
        const double scale = frame.width() / 528;
        auto at = [&](double x, double y) {
            return (frame.topLeft() + QPointF(64 + x, 64 + y) * scale).toPoint();
        };

        // Escape drops the rectangle; Return then has nothing to apply.
        drag(&canvas.view, {at(100, 50), at(200, 150), at(300, 250)});
        QTest::keyClick(&canvas.view, Qt::Key_Escape);
        QTest::keyClick(&canvas.view, Qt::Key_Return);
        QVERIFY(!canvas.state.currentCrop());

        // Dragged out beyond the screenshot's right edge, it stops there.
        drag(&canvas.view, {at(100, 50), at(200, 150), at(300, 250)});
        // The right edge's handle widens it past the screenshot.
        drag(&canvas.view, {at(300, 150), at(350, 150), at(450, 150)});
        QTest::keyClick(&canvas.view, Qt::Key_Return);
        // x 100..400 of 400, y 50..250 from the top of 300: from the bottom 50..250.
        QVERIFY2(near(canvas.state.currentCrop(), UnitRect{0.25, 50.0 / 300, 0.75, 200.0 / 300}, 0.01),
                 qPrintable(toString(canvas.state.currentCrop().value_or(UnitRect{}))));
        QVERIFY(canvas.settle());
        const QImage& shown = *canvas.state.currentTab()->processedImage;
        QCOMPARE(QSizeF(shown.size()) / shown.devicePixelRatio(), QSizeF(300 + 128, 200 + 128));
        canvas.state.undo();
        QVERIFY(!canvas.state.currentCrop());
    }

    void letterKeysPickTools()
    {
        Canvas canvas(m_home.path());
        const QString letters = QStringLiteral("VTSEMPHC"); // in the order of the tools
        for (CanvasTool tool : allCases<CanvasTool>()) {
            const auto key = Qt::Key(letters.at(int(tool)).unicode());
            const CanvasTool other = tool == CanvasTool::select ? CanvasTool::pen : CanvasTool::select;
            canvas.state.setCurrentTool(other);
            QTest::keyClick(&canvas.view, key);
            QCOMPARE(canvas.state.currentTool(), tool);
            // With Ctrl the letter belongs to the menus.
            canvas.state.setCurrentTool(other);
            QTest::keyClick(&canvas.view, key, Qt::ControlModifier);
            QCOMPARE(canvas.state.currentTool(), other);
        }
    }
};

QTEST_MAIN(TestCanvasMarks)
#include "tst_canvas_marks.moc"
