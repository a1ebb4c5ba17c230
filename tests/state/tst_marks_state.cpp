// Step markers and pen strokes in the application state: markers count on
// from the start number in placement order, deleting one closes the gap and
// undo brings back the numbers as they were; strokes come and go as undo
// steps; at most one annotation of any kind is selected.

#include "record_printers.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QTest>

using namespace lustrelab;
using test::markerNumbers;

namespace {

void placeMarkers(AppState& state, int count)
{
    for (int i = 0; i < count; ++i) {
        StepMarker marker;
        marker.position = {0.1 * (i + 1), 0.5};
        marker.number = 77; // the state gives the number, not the caller
        state.addStepMarker(marker);
    }
}

} // namespace

class TestMarksState : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void deletingRenumbers_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("deleted");   // index among four
        QTest::addColumn<bool>("selected"); // deleted as the selection, else by id
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("the selected second") << 1 << 1 << true << QList<int>{1, 2, 3};
        QTest::newRow("first of four: the next takes its number") << 1 << 0 << false << QList<int>{1, 2, 3};
        QTest::newRow("last of four, from 5") << 5 << 3 << false << QList<int>{5, 6, 7};
        QTest::newRow("third of four, from 0") << 0 << 2 << false << QList<int>{0, 1, 2};
    }
    void deletingRenumbers()
    {
        QFETCH(int, start);
        QFETCH(int, deleted);
        QFETCH(bool, selected);
        QFETCH(QList<int>, after);
        AppState state(m_home.path());
        state.setMarkerStartNumber(start);
        placeMarkers(state, 4);
        const QList<int> before{start, start + 1, start + 2, start + 3};
        QCOMPARE(markerNumbers(state), before);
        QCOMPARE(state.selectedStepMarkerId(), state.currentStepMarkers().last().id);
        const QList<StepMarker> placed = state.currentStepMarkers();

        if (selected) {
            state.setSelectedStepMarkerId(placed[deleted].id);
            state.deleteSelectedAnnotation();
            QVERIFY(!state.selectedStepMarkerId());
        } else {
            state.deleteStepMarker(placed[deleted].id);
        }
        QCOMPARE(markerNumbers(state), after);
        QVERIFY(!state.currentStepMarkers().contains(placed[deleted]));
        placeMarkers(state, 1); // the next marker continues the sequence
        QCOMPARE(markerNumbers(state), after + QList<int>{start + 3});
        state.undo();
        state.undo();
        QCOMPARE(state.currentStepMarkers(), placed);
        state.redo();
        QCOMPARE(markerNumbers(state), after);
    }

    void startNumberAppliesToANewSequence()
    {
        AppState state(m_home.path());
        placeMarkers(state, 2);
        state.setMarkerStartNumber(10);
        placeMarkers(state, 1);
        QCOMPARE(markerNumbers(state), (QList<int>{1, 2, 3})); // a sequence under way carries on
        state.newTab();
        placeMarkers(state, 1);
        QCOMPARE(markerNumbers(state), (QList<int>{10}));
        state.setMarkerStartNumber(-3);
        QCOMPARE(state.markerStartNumber(), 0);
    }

    void strokesAreUndoSteps()
    {
        AppState state(m_home.path());
        PenStroke stroke = freshPenStroke(false);
        stroke.points = {{0.1, 0.1}, {0.4, 0.3}};
        state.addPenStroke(stroke);
        QCOMPARE(state.currentPenStrokes(), QList<PenStroke>{stroke});
        QCOMPARE(state.selectedPenStrokeId(), stroke.id);
        PenStroke moved = stroke;
        moved.points[0].x = 0.2;
        state.updatePenStroke(moved); // as a drag step: no undo step of its own
        state.deletePenStroke(stroke.id);
        QVERIFY(state.currentPenStrokes().isEmpty());
        state.undo();
        QCOMPARE(state.currentPenStrokes(), QList<PenStroke>{moved});
        state.undo();
        QVERIFY(state.currentPenStrokes().isEmpty());
        // An empty path makes no stroke.
        state.addPenStroke(freshPenStroke(true));
        QVERIFY(state.currentPenStrokes().isEmpty());
    }

    void oneSelectionAcrossKinds()
    {
        AppState state(m_home.path());
        state.addTextOverlay();
        placeMarkers(state, 1);
        QVERIFY(!state.selectedTextOverlayId());
        QVERIFY(state.selectedStepMarkerId());
        state.selectAnnotation(AppState::AnnotationKind::text, state.currentTextOverlays()[0].id);
        QVERIFY(!state.selectedStepMarkerId());
        state.clearSelection();
        QVERIFY(!state.selectedTextOverlayId());
    }

    // A line of width 0 draws nothing, so the composed image shows the
    // screenshot under its end points before and after the crop.
    void cropKeepsAnnotationsOverTheSamePixels_data()
    {
        QTest::addColumn<QString>("canvasPreset");
        QTest::newRow("canvas follows the image") << "auto";
        QTest::newRow("a 1:1 canvas") << "1:1";
    }
    void cropKeepsAnnotationsOverTheSamePixels()
    {
        QFETCH(QString, canvasPreset);
        AppState state(m_home.path());
        QImage pattern(200, 100, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                pattern.setPixel(x, y, qRgb(x, y * 2, (x * y) % 256));
        state.loadImage(pattern, false);
        BeautySettings settings = state.settings();
        settings.canvasPresetId = canvasPreset;
        state.setSettings(settings);
        ShapeOverlay probe = freshShape(ShapeType::line);
        probe.strokeWidth = 0;
        probe.startPoint = {0.45, 0.4};
        probe.endPoint = {0.6, 0.55};
        state.setCurrentShapeOverlays({probe});
        auto colourUnder = [&](UnitPoint p) {
            state.processImage();
            [&] { QVERIFY(QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000)); }();
            const QImage& shown = *state.currentTab()->processedImage;
            return shown.pixelColor(int(p.x * shown.width()), int((1 - p.y) * shown.height()));
        };
        const QColor start = colourUnder(probe.startPoint), end = colourUnder(probe.endPoint);

        // Both points stay inside what the crop keeps.
        state.setCrop(UnitRect{0.25, 0.125, 0.625, 0.75});
        QCOMPARE(state.currentCrop(), std::optional<UnitRect>(UnitRect{0.25, 0.125, 0.625, 0.75}));
        const ShapeOverlay moved = state.currentShapeOverlays()[0];
        QVERIFY(moved.startPoint != probe.startPoint);
        QVERIFY(std::abs(colourUnder(moved.startPoint).red() - start.red()) <= 1);
        QVERIFY(std::abs(colourUnder(moved.startPoint).green() - start.green()) <= 2);
        QVERIFY(std::abs(colourUnder(moved.endPoint).red() - end.red()) <= 1);
        QVERIFY(std::abs(colourUnder(moved.endPoint).green() - end.green()) <= 2);

        state.undo();
        QVERIFY(!state.currentCrop());
        QCOMPARE(state.currentShapeOverlays()[0], probe);
        state.redo();
        state.resetCrop(); // back to the whole: the points come back to where they were
        QVERIFY(std::abs(state.currentShapeOverlays()[0].startPoint.x - probe.startPoint.x) < 1e-9);
        QVERIFY(std::abs(state.currentShapeOverlays()[0].endPoint.y - probe.endPoint.y) < 1e-9);
        // A crop that keeps nothing is refused; one reaching outside keeps what overlaps.
        state.setCrop(UnitRect{0.5, 0.5, 0, 0.2});
        QVERIFY(!state.currentCrop());
        state.setCrop(UnitRect{0.5, -0.5, 0.8, 1});
        QCOMPARE(state.currentCrop(), std::optional<UnitRect>(UnitRect{0.5, 0, 0.5, 0.5}));
    }
};

QTEST_GUILESS_MAIN(TestMarksState)
#include "tst_marks_state.moc"
