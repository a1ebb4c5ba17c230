#pragma once

#include "annotations.h"
#include "model_json.h"

#include <QString>
#include <optional>

namespace lustrelab {

// The JSON form of Annotations, as `--annotations` files and project files
// hold it:
// {"textOverlays": [...], "shapeOverlays": [...], "removalAreas": [...],
//  "stepMarkers": [...], "penStrokes": [...], "crop": {x, y, width, height}},
// every key optional.
//
// Each record uses its field names as keys. An omitted field takes the value
// the editor gives a freshly added annotation of that kind; a removal area
// needs its "rect". Any wrong type or unknown key fails the whole file, and
// the error names it ("annotations.shapeOverlays[1].strokeWidth: expected a
// number, found string").
std::optional<Annotations> annotationsFromJson(const Json& json, QString* error = nullptr);
// The same inside a larger file (a project), so that messages carry its key path.
class JsonReader;
void readAnnotations(JsonReader& reader, Annotations& annotations);

// Every field of every record, so that reading it back gives equal records
// whatever the defaults of a later version. Lists that are empty and a crop
// that is absent are left out.
Json toJson(const Annotations& annotations);

} // namespace lustrelab
