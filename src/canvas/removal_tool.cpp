#include "removal_tool.h"

#include "canvas_coordinates.h"
#include "canvas_decorations.h"
#include "canvas_interaction.h"

namespace lustrelab::canvas {

ToolOutcome RemovalTool::canvasDragged(const Gesture& gesture, QPointF position, const ToolScene&)
{
    // The preview is a filled rectangle with a dashed outline 2 points wide:
    // only what it covered and covers now needs painting.
    const QRectF now = spannedRect(gesture.start.position, position);
    const QRectF reach = m_spanned ? m_spanned->united(now) : now;
    m_spanned = now;
    ToolOutcome outcome;
    outcome.repaint = reach.adjusted(-3, -3, 3, 3).toAlignedRect();
    return outcome;
}

ToolOutcome RemovalTool::canvasDragEnded(const Gesture& gesture, QPointF end, const ToolScene& scene)
{
    m_spanned.reset();
    if (!scene.hasImage)
        return ToolOutcome::all();
    if (const auto rect = removalRectFromDrag(gesture.start.position, end, scene.frame))
        return ToolOutcome::of(edit::Add{RemovalArea{.rect = *rect, .method = RemovalMethod::contentAware}},
                               true);
    return ToolOutcome::all();
}

void RemovalTool::paint(QPainter& painter, const ToolScene& scene, const QPalette&) const
{
    if (m_spanned)
        paintDragPreview(painter, *m_spanned, CanvasTool::remove, scene.shapeType);
}

} // namespace lustrelab::canvas
