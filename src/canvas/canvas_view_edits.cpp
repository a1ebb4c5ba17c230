// CanvasView's side of the tools: what they ask of the model, carried out
// through AppState, with the moves of one drag made one undo step.

#include "canvas_view.h"
#include "inline_text_editor.h"
#include "state/app_state.h"

namespace lustrelab {

void CanvasView::apply(const canvas::ToolOutcome& outcome)
{
    if (outcome.repaintAll)
        update();
    else if (!outcome.repaint.isEmpty())
        update(outcome.repaint);
    if (outcome.edit)
        applyEdit(*outcome.edit);
}

void CanvasView::applyEdit(const canvas::ToolEdit& edit)
{
    namespace e = canvas::edit;
    if (const auto* add = std::get_if<e::Add>(&edit)) {
        addRecord(add->record);
    } else if (const auto* move = std::get_if<e::Move>(&edit)) {
        // The whole drag is one undo step; one that ends where it began, none.
        if (!std::exchange(m_moving, true))
            m_state.beginEdit();
        // A move composes at the size the canvas shows until it is let go.
        m_state.setLiveComposition(true);
        updateRecord(move->record);
    } else if (std::holds_alternative<e::End>(edit)) {
        m_moving = false;
        // Letting go composes the moved annotation at full resolution.
        m_state.setLiveComposition(false);
        m_state.commit();
    } else if (const auto* select = std::get_if<e::Select>(&edit)) {
        m_state.selectAnnotation(select->ref.kind, select->ref.id);
    } else if (std::holds_alternative<e::ClearSelection>(edit)) {
        m_state.clearSelection();
    } else if (const auto* text = std::get_if<e::EditText>(&edit)) {
        m_gesture = nullptr;
        m_state.selectAnnotation(AnnotationKind::text, text->id);
        beginEditing(text->id);
    } else if (const auto* removal = std::get_if<e::DeleteRemoval>(&edit)) {
        m_gesture = nullptr;
        m_state.deleteRemovalArea(removal->id);
    } else if (const auto* crop = std::get_if<e::SetCrop>(&edit)) {
        m_state.setCrop(crop->crop);
    } else if (const auto* area = std::get_if<e::ChooseTextArea>(&edit)) {
        emit textAreaChosen(area->area);
    } else if (std::holds_alternative<e::DragImageOut>(edit)) {
        m_gesture = nullptr;
        dragImageOut();
    }
}

void CanvasView::addRecord(const canvas::AnnotationRecord& record)
{
    if (const auto* text = std::get_if<TextOverlay>(&record)) {
        m_state.insertTextOverlay(*text);
        beginEditing(text->id); // a new text is written at once
    } else if (const auto* shape = std::get_if<ShapeOverlay>(&record)) {
        m_state.addShapeOverlay(*shape);
    } else if (const auto* area = std::get_if<RemovalArea>(&record)) {
        m_state.addRemovalArea(area->rect, area->method);
    } else if (const auto* marker = std::get_if<StepMarker>(&record)) {
        m_state.addStepMarker(*marker);
    } else if (const auto* stroke = std::get_if<PenStroke>(&record)) {
        m_state.addPenStroke(*stroke);
    }
}

void CanvasView::updateRecord(const canvas::AnnotationRecord& record)
{
    // Removal areas do not move.
    if (const auto* text = std::get_if<TextOverlay>(&record))
        m_state.updateTextOverlay(*text);
    else if (const auto* shape = std::get_if<ShapeOverlay>(&record))
        m_state.updateShapeOverlay(*shape);
    else if (const auto* marker = std::get_if<StepMarker>(&record))
        m_state.updateStepMarker(*marker);
    else if (const auto* stroke = std::get_if<PenStroke>(&record))
        m_state.updatePenStroke(*stroke);
}

} // namespace lustrelab
