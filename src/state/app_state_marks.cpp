// AppState's operations on step markers and pen strokes. Like the other
// annotation operations, adding and deleting are undo steps of their own;
// updates (a drag's steps, a panel's slider) are not.

#include "app_state.h"
#include "model/id_lookup.h"

namespace lustrelab {

// ---- Step markers.

void AppState::setMarkerStartNumber(int number)
{
    number = std::max(0, number);
    if (number == m_markerStartNumber)
        return;
    // A spin box reports every step of a typed or stepped-through number: a
    // run of changes with nothing else in between is one undo step.
    const bool continuesRun =
        m_startNumberRun && m_historyManager.canUndo() && snapshot() == *m_startNumberRun;
    if (!continuesRun)
        saveToHistory();
    writeMarkerStartNumber(number);
    const QList<StepMarker> markers = currentStepMarkers();
    if (!markers.isEmpty() && markers.first().number != number) {
        setCurrentStepMarkers(renumberedMarkers(markers, number));
        processImage();
    }
    m_startNumberRun = snapshot();
}

void AppState::addStepMarker(const StepMarker& marker)
{
    if (!currentTab())
        return;
    saveToHistory();
    QList<StepMarker> markers = currentStepMarkers();
    StepMarker placed = marker;
    placed.number = nextMarkerNumber(markers, m_markerStartNumber);
    markers.append(placed);
    setCurrentStepMarkers(markers);
    selectAnnotation(AnnotationKind::marker, placed.id);
    processImage();
}

void AppState::updateStepMarker(const StepMarker& marker)
{
    QList<StepMarker> markers = currentStepMarkers();
    if (!replaceById(markers, marker))
        return;
    setCurrentStepMarkers(markers);
    processImage();
}

void AppState::deleteStepMarker(const QUuid& id)
{
    deleteAnnotation({AnnotationKind::marker, id});
}

// ---- Pen strokes.

void AppState::addPenStroke(const PenStroke& stroke)
{
    if (!currentTab() || stroke.points.isEmpty())
        return;
    saveToHistory();
    QList<PenStroke> strokes = currentPenStrokes();
    strokes.append(stroke);
    setCurrentPenStrokes(strokes);
    selectAnnotation(AnnotationKind::stroke, stroke.id);
    processImage();
}

void AppState::updatePenStroke(const PenStroke& stroke)
{
    QList<PenStroke> strokes = currentPenStrokes();
    if (!replaceById(strokes, stroke))
        return;
    setCurrentPenStrokes(strokes);
    processImage();
}

void AppState::deletePenStroke(const QUuid& id)
{
    deleteAnnotation({AnnotationKind::stroke, id});
}

} // namespace lustrelab
