#include "pointer_tool.h"

#include "canvas_interaction.h"
#include "canvas_marks.h"
#include "crop_tool.h"
#include "marker_tool.h"
#include "pen_tool.h"
#include "removal_tool.h"
#include "shape_tool.h"
#include "text_tool.h"

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

std::unique_ptr<PointerTool> makeTool(CanvasTool tool)
{
    switch (tool) {
    case CanvasTool::select:
        break;
    case CanvasTool::text:
        return std::make_unique<TextTool>();
    case CanvasTool::shape:
        return std::make_unique<ShapeTool>();
    case CanvasTool::remove:
        return std::make_unique<RemovalTool>();
    case CanvasTool::marker:
        return std::make_unique<MarkerTool>();
    case CanvasTool::pen:
    case CanvasTool::highlighter:
        return std::make_unique<PenTool>(tool == CanvasTool::highlighter);
    case CanvasTool::crop:
        return std::make_unique<CropTool>();
    }
    return std::make_unique<SelectTool>();
}

} // namespace lustrelab::canvas
