// CanvasView's texts: a click with the Text tool places a text and edits it
// in place; a Shift-drag with the select tool draws a band over the image,
// and its release hands the area to whoever copies its text.

#include "canvas_coordinates.h"
#include "canvas_interaction.h"
#include "canvas_view.h"
#include "inline_text_editor.h"
#include "model/id_lookup.h"
#include "state/app_state.h"
#include "text_area_gesture.h"

#include <QApplication>
#include <QPainter>

namespace lustrelab {

bool CanvasView::beginTextArea(QPointF position, Qt::KeyboardModifiers modifiers)
{
    if (!canvas::startsTextArea(m_state.currentTool(), modifiers) || imageFrame().isEmpty())
        return false;
    m_press.reset();
    m_textArea = std::pair{position, position};
    return true;
}

void CanvasView::textAreaDragged(QPointF position)
{
    m_textArea->second = position;
    update();
}

void CanvasView::endTextArea(QPointF position)
{
    const QPointF start = std::exchange(m_textArea, std::nullopt)->first;
    update();
    if (const auto area = canvas::textAreaFromDrag(start, position, imageFrame()))
        emit textAreaChosen(*area);
}

void CanvasView::paintTextArea(QPainter& painter)
{
    // Nothing until the pointer has travelled as far as any canvas drag, so a
    // Shift-click does not flash a band.
    if (!m_textArea ||
        !canvas::passedThreshold(m_textArea->first, m_textArea->second, canvas::canvasDragThreshold))
        return;
    const QRectF band = canvas::spannedRect(m_textArea->first, m_textArea->second).intersected(imageFrame());
    const QColor accent = palette().color(QPalette::Highlight);
    QColor wash = accent;
    wash.setAlphaF(0.2f);
    painter.save();
    painter.fillRect(band, wash);
    painter.setPen(QPen(accent, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

// ---- Placing a text.

bool CanvasView::placeText(QPointF position)
{
    const ScreenshotTab* tab = m_state.currentTab();
    const QRectF frame = imageFrame();
    // Beside the image there is nothing to write on: a text there would
    // stick to the nearest edge, away from the pointer.
    if (!tab || !tab->hasImage() || !frame.contains(position))
        return false;
    TextOverlay text = freshTextOverlay(); // the look of a fresh text, in a font that resolves
    text.position = canvas::canvasToUnit(position, frame);
    m_state.insertTextOverlay(text);
    beginEditing(text.id);
    return true;
}

// ---- Editing a text in place.

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
