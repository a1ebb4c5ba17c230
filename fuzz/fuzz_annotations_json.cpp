// An `--annotations` file: JSON text, then the annotation records.

#include "cli/annotations_file.h"
#include "io/json_file.h"
#include "fuzz_support.h"

using namespace lustrelab;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const std::optional<Json> json = parseJson(fuzz::bytesOf(data, size), &error);
    if (!json)
        return 0;
    const std::optional<Annotations> annotations = annotationsFromJson(*json, &error);
    if (!annotations) {
        // The user is pointed at one key, so there must be one to name.
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    for (const TextOverlay& text : annotations->textOverlays)
        FUZZ_CHECK(!text.id.isNull());
    for (const ShapeOverlay& shape : annotations->shapeOverlays)
        FUZZ_CHECK(!shape.id.isNull());
    for (const RemovalArea& area : annotations->removalAreas)
        FUZZ_CHECK(!area.id.isNull());
    return 0;
}
