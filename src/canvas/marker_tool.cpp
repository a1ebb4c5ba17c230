#include "marker_tool.h"

#include "canvas_marks.h"

#include <QPainter>

namespace lustrelab::canvas {

ToolOutcome MarkerTool::press(const ToolPress& press, const ToolScene&)
{
    m_gesture = Gesture{press.position, press.position};
    return {};
}

ToolOutcome MarkerTool::doublePress(QPointF position, const ToolScene& scene)
{
    ToolPress again;
    again.position = position;
    return press(again, scene); // another marker
}

ToolOutcome MarkerTool::move(QPointF position, const ToolScene&)
{
    if (!m_gesture)
        return {};
    m_gesture->last = position;
    if (!m_gesture->dragging)
        m_gesture->dragging = passedThreshold(m_gesture->start, position, canvasDragThreshold);
    return m_gesture->dragging ? ToolOutcome::all() : ToolOutcome{};
}

ToolOutcome MarkerTool::release(QPointF position, const ToolScene& scene)
{
    if (!m_gesture)
        return {};
    const Gesture g = *std::exchange(m_gesture, std::nullopt);
    if (!scene.hasImage)
        return ToolOutcome::all(); // the preview goes
    if (const auto marker = markerFromGesture(g.start, position, g.dragging, scene.frame,
                                              nextMarkerLook(scene.annotations.stepMarkers)))
        return ToolOutcome::of(edit::Add{*marker}, true);
    return ToolOutcome::all();
}

void MarkerTool::paint(QPainter& painter, const ToolScene& scene, const QPalette&) const
{
    if (!m_gesture)
        return;
    const StepMarker look = nextMarkerLook(scene.annotations.stepMarkers);
    const double radius = look.size * scene.scale / 2;
    QColor fill = look.color.toPlatformColor();
    fill.setAlphaF(fill.alphaF() * 0.6f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_gesture->dragging) {
        painter.setPen(QPen(fill, 2));
        painter.drawLine(m_gesture->start, m_gesture->last);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(m_gesture->start, radius, radius);
    painter.restore();
}

} // namespace lustrelab::canvas
