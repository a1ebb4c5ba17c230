#include "crop_tool.h"

#include "canvas_coordinates.h"
#include "canvas_interaction.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace lustrelab::canvas {

int cropHandleAt(const QRectF& rect, QPointF point)
{
    const double xs[] = {rect.left(), rect.center().x(), rect.right()};
    const double ys[] = {rect.top(), rect.center().y(), rect.bottom()};
    const int xEdges[] = {leftEdge, noEdge, rightEdge};
    const int yEdges[] = {topEdge, noEdge, bottomEdge};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const int edges = xEdges[column] | yEdges[row];
            if (edges != noEdge && QLineF(point, QPointF(xs[column], ys[row])).length() <= cropHandleReach)
                return edges;
        }
    return noEdge;
}

QRectF draggedCrop(const QRectF& start, int edges, QPointF translation)
{
    QRectF r = start;
    if (edges & leftEdge)
        r.setLeft(r.left() + translation.x());
    if (edges & rightEdge)
        r.setRight(r.right() + translation.x());
    if (edges & topEdge)
        r.setTop(r.top() + translation.y());
    if (edges & bottomEdge)
        r.setBottom(r.bottom() + translation.y());
    return r.normalized();
}

std::optional<UnitRect> cropFromCanvasRect(const QRectF& rect, const QRectF& frame, const CropLayout& layout)
{
    if (frame.isEmpty() || layout.screenshotRect.isEmpty())
        return std::nullopt;
    // Canvas points to points of the composed canvas, then the part of the
    // screenshot shown there, cut to it.
    const double sx = layout.canvasSize.width() / frame.width();
    const double sy = layout.canvasSize.height() / frame.height();
    const QRectF onCanvas((rect.left() - frame.left()) * sx, (rect.top() - frame.top()) * sy,
                          rect.width() * sx, rect.height() * sy);
    const QRectF& shot = layout.screenshotRect;
    const QRectF kept = onCanvas.normalized().intersected(shot);
    if (kept.isEmpty())
        return std::nullopt;
    // Fractions of the shown part, y from its bottom, then of the whole screenshot.
    const double fx = (kept.left() - shot.left()) / shot.width();
    const double fw = kept.width() / shot.width();
    const double fy = (shot.bottom() - kept.bottom()) / shot.height();
    const double fh = kept.height() / shot.height();
    const UnitRect& c = layout.crop;
    return UnitRect{c.x + fx * c.width, c.y + fy * c.height, fw * c.width, fh * c.height};
}

namespace {

constexpr double handleSide = 8;

} // namespace

ToolOutcome CropTool::press(const ToolPress& press, const ToolScene&)
{
    Gesture gesture;
    gesture.start = press.position;
    if (m_pending) {
        gesture.edges = cropHandleAt(*m_pending, press.position);
        gesture.atPress = *m_pending;
    }
    m_gesture = gesture;
    return {};
}

ToolOutcome CropTool::move(QPointF position, const ToolScene&)
{
    if (!m_gesture)
        return {};
    Gesture& g = *m_gesture;
    if (!g.dragging)
        g.dragging = passedThreshold(g.start, position, canvasDragThreshold);
    if (!g.dragging)
        return {};
    m_pending = g.edges != noEdge ? draggedCrop(g.atPress, g.edges, position - g.start)
                                  : spannedRect(g.start, position);
    return ToolOutcome::all();
}

ToolOutcome CropTool::release(QPointF, const ToolScene&)
{
    if (!m_gesture)
        return {};
    const Gesture g = *std::exchange(m_gesture, std::nullopt);
    return g.dragging ? ToolOutcome::all() : ToolOutcome::of(edit::ClearSelection{});
}

std::optional<ToolOutcome> CropTool::key(Qt::Key key, const ToolScene& scene)
{
    if (!m_pending)
        return std::nullopt;
    if (key == Qt::Key_Escape) {
        cancel();
        return ToolOutcome::all();
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return std::nullopt;
    const QRectF pending = *std::exchange(m_pending, std::nullopt);
    if (scene.hasImage)
        if (const auto crop = cropFromCanvasRect(pending, scene.frame, scene.cropLayout))
            return ToolOutcome::of(edit::SetCrop{*crop}, true);
    return ToolOutcome::all();
}

bool CropTool::cancel()
{
    m_gesture.reset();
    return std::exchange(m_pending, std::nullopt).has_value();
}

void CropTool::paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const
{
    if (!m_pending)
        return;
    const QRectF crop = *m_pending;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // What the crop drops, dimmed; what it keeps, outlined.
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(scene.frame);
    outside.addRect(crop);
    painter.fillPath(outside, QColor(0, 0, 0, 110));
    const QColor accent = palette.color(QPalette::Highlight);
    QPen outline(accent, 1.5);
    outline.setDashPattern({4, 2});
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(crop);
    painter.setPen(QPen(palette.color(QPalette::Base), 1));
    painter.setBrush(accent);
    for (const double x : {crop.left(), crop.center().x(), crop.right()})
        for (const double y : {crop.top(), crop.center().y(), crop.bottom()})
            if (QPointF(x, y) != crop.center())
                painter.drawRect(QRectF(x - handleSide / 2, y - handleSide / 2, handleSide, handleSide));
    painter.restore();
}

} // namespace lustrelab::canvas
