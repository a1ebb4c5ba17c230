#pragma once

#include "model/annotations.h"
#include "model/model_json.h"

#include <QString>
#include <optional>

namespace lustrelab {

// The annotations of one composition, as read from an `--annotations` file:
// {"textOverlays": [...], "shapeOverlays": [...], "removalAreas": [...],
//  "stepMarkers": [...], "penStrokes": [...], "crop": {x, y, width, height}},
// every key optional. The crop must lie within the screenshot.
//
// Each record uses its field names as keys. An omitted field takes the value
// the editor gives a freshly added annotation of that kind; a removal area
// needs its "rect". Any wrong type or unknown key fails the whole file, and
// the error names it ("shapeOverlays[1].strokeWidth: expected a number").
std::optional<Annotations> annotationsFromJson(const Json& json, QString* error = nullptr);

} // namespace lustrelab
