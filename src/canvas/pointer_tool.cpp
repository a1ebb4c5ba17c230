#include "pointer_tool.h"

#include "canvas_interaction.h"
#include "canvas_marks.h"

namespace lustrelab::canvas {

ToolOutcome PointerTool::doublePress(QPointF position, const ToolScene& scene)
{
    if (!scene.frame.isEmpty()) {
        const QPointF inFrame = position - scene.frame.topLeft();
        const Annotations& a = scene.annotations;
        if (hitTestMarks(inFrame, scene.frame.size(), scene.scale, a.stepMarkers, a.penStrokes).kind ==
            CanvasHit::none) {
            const CanvasHit hit = hitTest(inFrame, scene.frame.size(), a.textOverlays, a.shapeOverlays,
                                          a.removalAreas, true, scene.scale, scene.image);
            if (hit.kind == CanvasHit::text)
                return ToolOutcome::of(edit::EditText{hit.id});
            if (hit.kind == CanvasHit::removal)
                return ToolOutcome::of(edit::DeleteRemoval{hit.id});
        }
    }
    ToolPress again;
    again.position = position;
    return press(again, scene);
}

std::optional<ToolOutcome> PointerTool::key(Qt::Key, const ToolScene&)
{
    return std::nullopt;
}

void PointerTool::paint(QPainter&, const ToolScene&, const QPalette&) const {}

} // namespace lustrelab::canvas
