#pragma once

#include "select_tool.h"

#include <QRectF>

namespace lustrelab::canvas {

// The remove tool: a drag on the empty canvas previews the area it spans and
// marks it for content-aware removal on release (removalRectFromDrag). On
// annotations it selects and moves as the select tool does.
class RemovalTool : public SelectTool
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
