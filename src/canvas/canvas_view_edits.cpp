// CanvasView's side of the tools: what they ask of the model, carried out
// through AppState, with the moves of one drag made one undo step.

#include "canvas_view.h"

#include "inline_text_editor.h"
#include "state/app_state.h"

namespace lustrelab {

namespace {

template <typename... F> struct Overloaded : F...
{
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace

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
    std::visit(Overloaded{
                   [this](const e::Add& add) {
                       std::visit(Overloaded{
                                      [this](const TextOverlay& text) {
                                          m_state.insertTextOverlay(text);
                                          beginEditing(text.id);
                                      },
                                      [this](const ShapeOverlay& shape) { m_state.addShapeOverlay(shape); },
                                      [this](const RemovalArea& area) {
                                          m_state.addRemovalArea(area.rect, area.method);
                                      },
                                      [this](const StepMarker& marker) { m_state.addStepMarker(marker); },
                                      [this](const PenStroke& stroke) { m_state.addPenStroke(stroke); },
                                  },
                                  add.record);
                   },
                   [this](const e::Move& move) {
                       // The whole drag is one undo step; one that ends where it began, none.
                       if (!std::exchange(m_moving, true))
                           m_state.beginEdit();
                       // A move composes at the size the canvas shows until it is let go.
                       m_state.setLiveComposition(true);
                       updateRecord(move.record);
                   },
                   [this](const e::End&) {
                       m_moving = false;
                       // Letting go composes the moved annotation at full resolution.
                       m_state.setLiveComposition(false);
                       m_state.commit();
                   },
                   [this](const e::Select& select) { m_state.selectAnnotation(select.ref.kind, select.ref.id); },
                   [this](const e::ClearSelection&) { m_state.clearSelection(); },
                   [this](const e::EditText& text) {
                       m_gesture = nullptr;
                       m_state.selectAnnotation(AnnotationKind::text, text.id);
                       beginEditing(text.id);
                   },
                   [this](const e::DeleteRemoval& removal) {
                       m_gesture = nullptr;
                       m_state.deleteRemovalArea(removal.id);
                   },
                   [this](const e::SetCrop& crop) { m_state.setCrop(crop.crop); },
                   [this](const e::ChooseTextArea& area) { emit textAreaChosen(area.area); },
                   [this](const e::DragImageOut&) {
                       m_gesture = nullptr;
                       dragImageOut();
                   },
               },
               edit);
}

void CanvasView::updateRecord(const canvas::AnnotationRecord& record)
{
    std::visit(Overloaded{
                   [this](const TextOverlay& text) { m_state.updateTextOverlay(text); },
                   [this](const ShapeOverlay& shape) { m_state.updateShapeOverlay(shape); },
                   [](const RemovalArea&) {}, // removal areas do not move
                   [this](const StepMarker& marker) { m_state.updateStepMarker(marker); },
                   [this](const PenStroke& stroke) { m_state.updatePenStroke(stroke); },
               },
               record);
}

} // namespace lustrelab
