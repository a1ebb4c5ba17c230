#pragma once

// Readable forms of the records for logs and for failing comparisons, where
// "not the same" alone would hide which field differs.

#include "beauty_settings.h"
#include "pen_stroke.h"
#include "removal_area.h"
#include "shape_overlay.h"
#include "step_marker.h"
#include "text_overlay.h"

#include <QDebug>

namespace lustrelab {

QDebug operator<<(QDebug debug, const UnitPoint& point);
QDebug operator<<(QDebug debug, const UnitRect& rect);
QDebug operator<<(QDebug debug, const CodableColor& color);
QDebug operator<<(QDebug debug, const TextOverlay& text);
QDebug operator<<(QDebug debug, const ShapeOverlay& shape);
QDebug operator<<(QDebug debug, const RemovalArea& area);
QDebug operator<<(QDebug debug, const StepMarker& marker);
QDebug operator<<(QDebug debug, const PenStroke& stroke);
QDebug operator<<(QDebug debug, const BeautySettings& settings);

} // namespace lustrelab
