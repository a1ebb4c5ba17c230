#include "text_area_tool.h"

#include "canvas_coordinates.h"
#include "canvas_interaction.h"

#include <QPainter>

namespace lustrelab::canvas {

bool startsTextArea(CanvasTool tool, Qt::KeyboardModifiers modifiers)
{
    return tool == CanvasTool::select && (modifiers & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

std::optional<UnitRect> textAreaFromDrag(QPointF start, QPointF end, const QRectF& frame)
{
    const QRectF inside = spannedRect(start, end).intersected(frame);
    if (!(inside.width() >= minimumTextAreaSide && inside.height() >= minimumTextAreaSide))
        return std::nullopt;
    // The bottom-left corner is the rectangle's origin in unit coordinates.
    const UnitPoint origin = canvasToUnit(inside.bottomLeft(), frame);
    const UnitPoint far = canvasToUnit(inside.topRight(), frame);
    return UnitRect{origin.x, origin.y, far.x - origin.x, far.y - origin.y};
}

ToolOutcome TextAreaTool::press(const ToolPress& press, const ToolScene&)
{
    m_band = std::pair{press.position, press.position};
    return {};
}

ToolOutcome TextAreaTool::move(QPointF position, const ToolScene&)
{
    if (!m_band)
        return {};
    m_band->second = position;
    return ToolOutcome::all();
}

ToolOutcome TextAreaTool::release(QPointF position, const ToolScene& scene)
{
    if (!m_band)
        return {};
    const QPointF start = std::exchange(m_band, std::nullopt)->first;
    if (const auto area = textAreaFromDrag(start, position, scene.frame))
        return ToolOutcome::of(edit::ChooseTextArea{*area}, true);
    return ToolOutcome::all();
}

void TextAreaTool::paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const
{
    // Nothing until the pointer has travelled as far as any canvas drag, so a
    // Shift-click does not flash a band.
    if (!m_band || !passedThreshold(m_band->first, m_band->second, canvasDragThreshold))
        return;
    const QRectF band = spannedRect(m_band->first, m_band->second).intersected(scene.frame);
    const QColor accent = palette.color(QPalette::Highlight);
    QColor wash = accent;
    wash.setAlphaF(0.2f);
    painter.save();
    painter.fillRect(band, wash);
    painter.setPen(QPen(accent, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

} // namespace lustrelab::canvas
