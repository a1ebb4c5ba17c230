#pragma once

#include "select_tool.h"

#include <QRectF>

namespace lustrelab::canvas {

// The shape tool: a drag on the empty canvas previews the scene's shape kind
// over the rectangle it spans and adds that shape on release (shapeFromDrag).
// On annotations it selects and moves as the select tool does.
class ShapeTool : public SelectTool
{
  public:
    void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const override;

  protected:
    ToolOutcome canvasDragged(const Gesture& gesture, QPointF position, const ToolScene& scene) override;
    ToolOutcome canvasDragEnded(const Gesture& gesture, QPointF end, const ToolScene& scene) override;

  private:
    std::optional<QRectF> m_spanned; // canvas points
};

} // namespace lustrelab::canvas
