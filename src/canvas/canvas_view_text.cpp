// CanvasView's text area: a Shift-drag with the select tool draws a band
// over the image, and its release hands the area to whoever copies its text.

#include "canvas_coordinates.h"
#include "canvas_interaction.h"
#include "canvas_view.h"
#include "state/app_state.h"
#include "text_area_gesture.h"

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

} // namespace lustrelab
