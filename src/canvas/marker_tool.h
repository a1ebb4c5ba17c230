#pragma once

#include "pointer_tool.h"

namespace lustrelab::canvas {

// The step-marker tool: a press anywhere, over annotations too, places the
// next marker where it was; a drag also points the marker's tail at the
// release (markerFromGesture). While the button is down, the marker to be
// placed is shown, with its tail once the pointer has left it.
class MarkerTool : public PointerTool
{
  public:
    ToolOutcome press(const ToolPress& press, const ToolScene& scene) override;
    ToolOutcome move(QPointF position, const ToolScene& scene) override;
    ToolOutcome release(QPointF position, const ToolScene& scene) override;
    ToolOutcome doublePress(QPointF position, const ToolScene& scene) override;
    void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const override;

  private:
    struct Gesture
    {
        QPointF start, last;
        bool dragging = false;
    };
    std::optional<Gesture> m_gesture;
};

} // namespace lustrelab::canvas
