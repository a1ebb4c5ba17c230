#pragma once

// One object per canvas tool. A tool receives the left button's press, the
// pointer's moves and its release, each with the scene as it is at that
// moment, and answers with an edit for the model and the part of the view its
// preview changed (tool_outcome.h); it paints its own preview. It owns no
// document state: between a press and its release it keeps only the gesture
// in progress, and the crop tool its rectangle until Return or Escape.
//
// The view keeps one object of each kind, hands every event of a press to
// the object that took the press, and counts the release point as the last
// move: a tool sees move(release) before release(release).

#include "model/canvas_tool.h"
#include "tool_outcome.h"

#include <QPalette>
#include <memory>

class QPainter;

namespace lustrelab::canvas {

class PointerTool
{
  public:
    virtual ~PointerTool() = default;

    virtual ToolOutcome press(const ToolPress& press, const ToolScene& scene) = 0;
    virtual ToolOutcome move(QPointF position, const ToolScene& scene) = 0;
    virtual ToolOutcome release(QPointF position, const ToolScene& scene) = 0;
    // The second press of a double-click: a text under it is edited in place,
    // a removal area deleted (removal areas take nothing else); elsewhere it
    // is a press of its own. Markers and strokes are looked through to
    // neither: they take it as a press.
    virtual ToolOutcome doublePress(QPointF position, const ToolScene& scene);
    // Return and Escape reach the tool first; nothing when it leaves the key
    // to the canvas.
    virtual std::optional<ToolOutcome> key(Qt::Key key, const ToolScene& scene);
    // Drops what the tool shows (another tool or tab was chosen); whether
    // there was anything to drop.
    virtual bool cancel() { return false; }
    // The preview over the image, in canvas points.
    virtual void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const;
};

// A fresh object of `tool`; the text area's is TextAreaTool, which no tool
// button picks.
std::unique_ptr<PointerTool> makeTool(CanvasTool tool);

} // namespace lustrelab::canvas
