#include "text_tool.h"

#include "canvas_coordinates.h"

namespace lustrelab::canvas {

ToolOutcome TextTool::canvasClicked(const Gesture& gesture, const ToolScene& scene)
{
    const QPointF at = gesture.start.position;
    if (gesture.start.endsEditing || !scene.hasImage || !scene.frame.contains(at))
        return SelectTool::canvasClicked(gesture, scene);
    TextOverlay text = freshTextOverlay(); // the look of a fresh text, in a font that resolves
    text.position = canvasToUnit(at, scene.frame);
    return ToolOutcome::of(edit::Add{text});
}

} // namespace lustrelab::canvas
