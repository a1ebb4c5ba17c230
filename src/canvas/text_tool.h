#pragma once

#include "select_tool.h"

namespace lustrelab::canvas {

// The text tool: a click on the image places a fresh text there, which the
// view edits in place at once. Beside the image there is nothing to write
// on (a text there would stick to the nearest edge, away from the pointer),
// and a click that only took the focus from a text being edited ends that
// edit and places nothing; both clear the selection. On annotations it
// selects and moves as the select tool does.
class TextTool : public SelectTool
{
  protected:
    ToolOutcome canvasClicked(const Gesture& gesture, const ToolScene& scene) override;
};

} // namespace lustrelab::canvas
