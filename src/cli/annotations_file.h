#pragma once

#include "model/model_json.h"
#include "model/pen_stroke.h"
#include "model/removal_area.h"
#include "model/shape_overlay.h"
#include "model/step_marker.h"
#include "model/text_overlay.h"

#include <QList>
#include <QString>
#include <optional>

namespace lustrelab {

// The annotations of one composition, as read from an `--annotations` file:
// {"textOverlays": [...], "shapeOverlays": [...], "removalAreas": [...],
//  "stepMarkers": [...], "penStrokes": [...], "crop": {x, y, width, height}},
// every key optional. The crop is in unit coordinates of the screenshot
// (y from its bottom edge) and must lie within it.
struct Annotations
{
    QList<TextOverlay> textOverlays;
    QList<ShapeOverlay> shapeOverlays;
    QList<RemovalArea> removalAreas;
    QList<StepMarker> stepMarkers;
    QList<PenStroke> penStrokes;
    std::optional<UnitRect> crop; // of the screenshot, before styling
};

// Each record uses its field names as keys. An omitted field takes the value
// the editor gives a freshly added annotation of that kind; a removal area
// needs its "rect". Any wrong type or unknown key fails the whole file, and
// the error names it ("shapeOverlays[1].strokeWidth: expected a number").
std::optional<Annotations> annotationsFromJson(const Json& json, QString* error = nullptr);

} // namespace lustrelab
