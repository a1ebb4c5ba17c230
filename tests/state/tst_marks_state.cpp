// Step markers and pen strokes in the application state: markers count on
// from the start number in placement order, deleting one closes the gap and
// undo brings back the numbers as they were; strokes come and go as undo
// steps; at most one annotation of any kind is selected.

#include "record_printers.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QTest>

using namespace lustrelab;

namespace {

QList<int> numbers(const AppState& state)
{
    QList<int> result;
    for (const StepMarker& marker : state.currentStepMarkers())
        result << marker.number;
    return result;
}

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
        QTest::addColumn<int>("deleted"); // index among four
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("second of four, from 1") << 1 << 1 << QList<int>{1, 2, 3};
        QTest::newRow("first of four: the next takes its number") << 1 << 0 << QList<int>{1, 2, 3};
        QTest::newRow("last of four, from 5") << 5 << 3 << QList<int>{5, 6, 7};
        QTest::newRow("third of four, from 0") << 0 << 2 << QList<int>{0, 1, 2};
    }
    void deletingRenumbers()
    {
        QFETCH(int, start);
        QFETCH(int, deleted);
        QFETCH(QList<int>, after);
        AppState state(m_home.path());
        state.setMarkerStartNumber(start);
        placeMarkers(state, 4);
        const QList<int> before{start, start + 1, start + 2, start + 3};
        QCOMPARE(numbers(state), before);
        QCOMPARE(state.selectedStepMarkerId(), state.currentStepMarkers().last().id);
        const QList<StepMarker> placed = state.currentStepMarkers();

        state.deleteStepMarker(placed[deleted].id);
        QCOMPARE(numbers(state), after);
        QVERIFY(!state.currentStepMarkers().contains(placed[deleted]));
        state.undo();
        QCOMPARE(state.currentStepMarkers(), placed);
        state.redo();
        QCOMPARE(numbers(state), after);
    }

    void secondOfThreeDeletedReadsOneTwo()
    {
        AppState state(m_home.path());
        placeMarkers(state, 3);
        state.setSelectedStepMarkerId(state.currentStepMarkers()[1].id);
        state.deleteSelectedAnnotation();
        QCOMPARE(numbers(state), (QList<int>{1, 2}));
        QVERIFY(!state.selectedStepMarkerId());
        // The next marker continues the sequence.
        placeMarkers(state, 1);
        QCOMPARE(numbers(state), (QList<int>{1, 2, 3}));
    }

    void startNumberAppliesToANewSequence()
    {
        AppState state(m_home.path());
        placeMarkers(state, 2);
        state.setMarkerStartNumber(10);
        placeMarkers(state, 1);
        QCOMPARE(numbers(state), (QList<int>{1, 2, 3})); // a sequence under way carries on
        state.newTab();
        placeMarkers(state, 1);
        QCOMPARE(numbers(state), (QList<int>{10}));
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

    void newImageClearsMarks()
    {
        AppState state(m_home.path());
        placeMarkers(state, 2);
        state.loadImage(test::solidImage(40, 30), false);
        QVERIFY(state.currentStepMarkers().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMarksState)
#include "tst_marks_state.moc"
