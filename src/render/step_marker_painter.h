#pragma once

// Drawing of step markers: a filled circle `size` points across centred on
// the marker's position, its number centred inside, and optionally a tail, a
// wedge from the circle to `tailPoint`, so that the marker points at what it
// numbers. Unit coordinates reach the painter through surface_coordinates.h.

#include "model/codable_color.h"
#include "model/step_marker.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace lustrelab {

void drawStepMarker(const StepMarker& marker, QPainter& painter, double canvasWidth, double canvasHeight);

// Black or white, whichever contrasts more with `fill` (by the sRGB relative
// luminance of its colour, ignoring its opacity): a number stays legible on a
// yellow marker as on a navy one.
QColor markerNumberColor(const CodableColor& fill);

// The outline of the circle and tail, in Qt's y-down canvas points.
QPainterPath stepMarkerOutline(const StepMarker& marker, double canvasWidth, double canvasHeight);

QRectF stepMarkerBounds(const StepMarker& marker, double canvasWidth, double canvasHeight);

} // namespace lustrelab
