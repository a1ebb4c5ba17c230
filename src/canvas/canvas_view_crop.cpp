// CanvasView's crop tool: the rectangle dragged out over the image, its
// handles, and the crop it gives the tab on Return.

#include "canvas_coordinates.h"
#include "canvas_view.h"

#include "base/logical_size.h"
#include "crop_gesture.h"
#include "state/app_state.h"

#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

namespace {

constexpr double handleSide = 8;

} // namespace

void CanvasView::beginCropPress(QPointF position)
{
    m_cropEdges = m_pendingCrop ? canvas::cropHandleAt(*m_pendingCrop, position) : canvas::noEdge;
    if (m_pendingCrop)
        m_cropAtPress = *m_pendingCrop;
}

void CanvasView::cropDragChanged(QPointF position)
{
    if (!m_press)
        return;
    if (m_cropEdges != canvas::noEdge)
        m_pendingCrop = canvas::draggedCrop(m_cropAtPress, m_cropEdges, position - m_press->position);
    else
        m_pendingCrop = canvas::spannedRect(m_press->position, position);
    update();
}

void CanvasView::cancelCrop()
{
    if (!m_pendingCrop)
        return;
    m_pendingCrop.reset();
    m_cropEdges = canvas::noEdge;
    update();
}

void CanvasView::applyCrop()
{
    const std::optional<QRectF> pending = std::exchange(m_pendingCrop, std::nullopt);
    update();
    const ScreenshotTab* tab = m_state.currentTab();
    if (!pending || !tab || !tab->hasImage())
        return;
    const CropLayout layout =
        cropLayout(logicalSize(tab->document.screenshot), tab->annotations().crop, m_state.settings());
    if (const auto crop = canvas::cropFromCanvasRect(*pending, imageFrame(), layout))
        m_state.setCrop(*crop);
}

void CanvasView::paintCropPreview(QPainter& painter)
{
    if (!m_pendingCrop)
        return;
    const QRectF crop = *m_pendingCrop;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // What the crop drops, dimmed; what it keeps, outlined.
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(imageFrame());
    outside.addRect(crop);
    painter.fillPath(outside, QColor(0, 0, 0, 110));
    const QColor accent = palette().color(QPalette::Highlight);
    QPen outline(accent, 1.5);
    outline.setDashPattern({4, 2});
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(crop);
    painter.setPen(QPen(palette().color(QPalette::Base), 1));
    painter.setBrush(accent);
    for (const double x : {crop.left(), crop.center().x(), crop.right()})
        for (const double y : {crop.top(), crop.center().y(), crop.bottom()})
            if (QPointF(x, y) != crop.center())
                painter.drawRect(QRectF(x - handleSide / 2, y - handleSide / 2, handleSide, handleSide));
    painter.restore();
}

} // namespace lustrelab
