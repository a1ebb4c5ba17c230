#pragma once

#include "pointer_tool.h"

#include <QList>

namespace lustrelab::canvas {

// The pen and the highlighter: the pointer's path from the press on, over
// annotations too, becomes a stroke on release (strokeFromPath), with the
// look of the tab's last stroke of the same kind. The path is previewed as
// it is drawn; each step repaints only the end of it.
class PenTool : public PointerTool
{
  public:
    explicit PenTool(bool highlighter) : m_highlighter(highlighter) {}

    ToolOutcome press(const ToolPress& press, const ToolScene& scene) override;
    ToolOutcome move(QPointF position, const ToolScene& scene) override;
    ToolOutcome release(QPointF position, const ToolScene& scene) override;
    ToolOutcome doublePress(QPointF position, const ToolScene& scene) override;
    void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const override;

  private:
    // The part of the view the preview changes when the last point of the path has just been added.
    QRect tailRect(const ToolScene& scene) const;

    bool m_highlighter;
    std::optional<QList<QPointF>> m_path; // canvas points, while the button is down
};

} // namespace lustrelab::canvas
