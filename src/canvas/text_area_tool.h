#pragma once

// Copy Text of a part of the canvas: with the select tool, a drag that starts
// with Shift held spans a rectangle over the composed image, and its text
// goes to the clipboard on release. A drag without Shift keeps its usual
// meaning (moving annotations, clearing the selection). Plain functions of
// plain values, like canvas_interaction.h, and the tool object over them.

#include "model/canvas_tool.h"
#include "model/unit_geometry.h"
#include "pointer_tool.h"

#include <QPointF>
#include <QRectF>
#include <Qt>
#include <optional>
#include <utility>

namespace lustrelab::canvas {

// Rectangles thinner than this on the canvas, in points, are slips: too
// little of the image for any line of text.
inline constexpr double minimumTextAreaSide = 4;

// Whether a press starts a text area: the select tool with Shift held at the
// press. Ctrl, Alt or Meta with it make it some other gesture; the keypad
// flag is no modifier the user chose.
bool startsTextArea(CanvasTool tool, Qt::KeyboardModifiers modifiers);

// The part of the image a text-area drag from `start` to `end` (canvas
// points, either direction) covers, in unit coordinates, clamped to the image
// in `frame`. Nothing when what is left is thinner than minimumTextAreaSide
// (a drag beside the image, a click) or there is no image frame.
std::optional<UnitRect> textAreaFromDrag(QPointF start, QPointF end, const QRectF& frame);

// The text area's gesture, which the view hands a press to when
// startsTextArea says so and there is an image: a band over the image
// follows the pointer, and the release chooses the area under it.
class TextAreaTool : public PointerTool
{
  public:
    ToolOutcome press(const ToolPress& press, const ToolScene& scene) override;
    ToolOutcome move(QPointF position, const ToolScene& scene) override;
    ToolOutcome release(QPointF position, const ToolScene& scene) override;
    void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const override;

  private:
    std::optional<std::pair<QPointF, QPointF>> m_band; // the press and the latest position
};

} // namespace lustrelab::canvas
