#include "pen_tool.h"

#include "canvas_marks.h"
#include "render/pen_stroke_painter.h"

#include <QPainter>
#include <QPainterPath>

namespace lustrelab::canvas {

ToolOutcome PenTool::press(const ToolPress& press, const ToolScene&)
{
    m_path = QList<QPointF>{press.position};
    return {};
}

ToolOutcome PenTool::doublePress(QPointF position, const ToolScene& scene)
{
    ToolPress again;
    again.position = position;
    return press(again, scene); // another stroke
}

ToolOutcome PenTool::move(QPointF position, const ToolScene& scene)
{
    // The pen follows the pointer from the press on, threshold or not.
    if (!m_path || position == m_path->last())
        return {};
    m_path->append(position);
    ToolOutcome outcome;
    outcome.repaint = tailRect(scene);
    return outcome;
}

ToolOutcome PenTool::release(QPointF, const ToolScene& scene)
{
    if (!m_path)
        return {};
    const QList<QPointF> path = *std::exchange(m_path, std::nullopt);
    if (!scene.hasImage)
        return ToolOutcome::all(); // the preview goes
    if (const auto stroke =
            strokeFromPath(path, scene.frame, nextStrokeLook(scene.annotations.penStrokes, m_highlighter)))
        return ToolOutcome::of(edit::Add{*stroke}, true);
    return ToolOutcome::all();
}

QRect PenTool::tailRect(const ToolScene& scene) const
{
    // Each piece of the smoothed curve depends on the points before and
    // after it, so a new point changes the last piece and adds one; the
    // curve through the last four points covers both, and a curve stays
    // within its control points.
    const QList<QPointF>& path = *m_path;
    const QPainterPath tail = smoothCurveThrough(path.mid(std::max<qsizetype>(0, path.size() - 4)));
    const double width =
        std::max(1.0, nextStrokeLook(scene.annotations.penStrokes, m_highlighter).width * scene.scale);
    const double reach = width / 2 + 2; // round caps and joins, and antialiasing
    return tail.controlPointRect().adjusted(-reach, -reach, reach, reach).toAlignedRect();
}

void PenTool::paint(QPainter& painter, const ToolScene& scene, const QPalette&) const
{
    if (!m_path)
        return;
    const PenStroke look = nextStrokeLook(scene.annotations.penStrokes, m_highlighter);
    QColor ink = look.color.toPlatformColor();
    ink.setAlphaF(ink.alphaF() * float(look.opacity));
    QPen pen(ink, std::max(1.0, look.width * scene.scale));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_highlighter)
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.strokePath(smoothCurveThrough(*m_path), pen);
    painter.restore();
}

} // namespace lustrelab::canvas
