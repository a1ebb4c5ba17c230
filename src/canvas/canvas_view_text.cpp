// CanvasView's texts edited in place: the field over a text the text tool
// placed or a double-click chose, kept over it while the model changes, and
// what is typed written back when the field is done.

#include "canvas_coordinates.h"
#include "canvas_view.h"
#include "inline_text_editor.h"
#include "model/id_lookup.h"
#include "state/app_state.h"

#include <QApplication>

namespace lustrelab {

std::optional<QUuid> CanvasView::editingTextId() const
{
    return m_editor->isEditing() ? m_editingTextId : std::nullopt;
}

void CanvasView::syncEditor()
{
    if (!m_editingTextId)
        return;
    const auto overlay = findById(m_state.currentTextOverlays(), *m_editingTextId);
    const QRectF frame = imageFrame();
    if (!overlay || frame.isEmpty()) {
        // Undone, deleted or on another tab: there is nothing left to write to.
        m_editingTextId.reset();
        m_editor->cancel();
    } else if (m_state.selectedId(AnnotationKind::text) != m_editingTextId) {
        // Deselected while typing: keep what was typed rather than drop it.
        m_editor->commit();
    } else {
        m_editor->moveCentre(canvas::unitToCanvas(overlay->position, frame));
    }
}

void CanvasView::beginEditing(const QUuid& id)
{
    const auto overlay = findById(m_state.currentTextOverlays(), id);
    const QRectF frame = imageFrame();
    if (!overlay || frame.isEmpty())
        return;
    if (m_editor->isEditing())
        m_editor->commit();
    m_editingTextId = id;
    m_editor->begin(overlay->text, canvas::unitToCanvas(overlay->position, frame));
    update();
}

void CanvasView::commitText(const QString& text)
{
    if (!m_editingTextId)
        return;
    // The focus leaves the field for the canvas before the press that took
    // it arrives: that press only ends the edit.
    m_pressEndsEditing = m_editor->endedByPointer() && QApplication::focusWidget() == this;
    const QUuid id = *std::exchange(m_editingTextId, std::nullopt);
    update();
    if (auto overlay = findById(m_state.currentTextOverlays(), id)) {
        overlay->text = text;
        m_state.updateTextOverlay(*overlay);
    }
}

} // namespace lustrelab
