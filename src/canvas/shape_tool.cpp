#include "shape_tool.h"

#include "canvas_coordinates.h"
#include "canvas_decorations.h"
#include "canvas_interaction.h"

namespace lustrelab::canvas {

ToolOutcome ShapeTool::canvasDragged(const Gesture& gesture, QPointF position, const ToolScene&)
{
    m_spanned = spannedRect(gesture.start.position, position);
    return ToolOutcome::all();
}

ToolOutcome ShapeTool::canvasDragEnded(const Gesture& gesture, QPointF end, const ToolScene& scene)
{
    m_spanned.reset();
    if (!scene.hasImage)
        return ToolOutcome::all();
    if (const auto shape = shapeFromDrag(gesture.start.position, end, scene.frame, scene.shapeType))
        return ToolOutcome::of(edit::Add{*shape}, true);
    return ToolOutcome::all();
}

void ShapeTool::paint(QPainter& painter, const ToolScene& scene, const QPalette&) const
{
    if (m_spanned)
        paintDragPreview(painter, *m_spanned, CanvasTool::shape, scene.shapeType);
}

} // namespace lustrelab::canvas
