#include "annotations_json.h"

#include "json_reader.h"
#include "uuid_text.h"

#include <limits>
#include <tuple>
#include <type_traits>

namespace lustrelab {

namespace {

// Hand-written geometry is held within reach of the canvas. Far beyond it a
// shape draws nothing anyone sees, yet its size still costs drawing time (a
// mosaic of 10^15 points), so such values are refused with the key's name.
constexpr double unitLimit = 100;     // unit coordinates: a hundred canvases either way
constexpr double pointLimit = 10000;  // stroke widths and font sizes, in points
constexpr double degreeLimit = 1e6;   // text rotation
constexpr double numberLimit = 99999; // step marker numbers
// A stroke's points are all drawn on every composition; a pointer makes a few
// hundred a second, so this is hours of drawing.
constexpr qsizetype strokePointLimit = 100000;

// One key of a record: its name in the file and the member it reads into
// and is written from.
template <typename Record, typename T> struct Key
{
    const char* name;
    T Record::*member;
};

// The keys of each record, in the order they are written.
constexpr std::tuple textKeys{Key{"id", &TextOverlay::id},
                              Key{"text", &TextOverlay::text},
                              Key{"position", &TextOverlay::position},
                              Key{"fontName", &TextOverlay::fontName},
                              Key{"fontSize", &TextOverlay::fontSize},
                              Key{"fontWeight", &TextOverlay::fontWeight},
                              Key{"textColor", &TextOverlay::textColor},
                              Key{"backgroundColor", &TextOverlay::backgroundColor},
                              Key{"isRedacted", &TextOverlay::isRedacted},
                              Key{"rotation", &TextOverlay::rotation},
                              Key{"opacity", &TextOverlay::opacity}};
constexpr std::tuple shapeKeys{Key{"id", &ShapeOverlay::id},
                               Key{"shapeType", &ShapeOverlay::shapeType},
                               Key{"startPoint", &ShapeOverlay::startPoint},
                               Key{"endPoint", &ShapeOverlay::endPoint},
                               Key{"strokeColor", &ShapeOverlay::strokeColor},
                               Key{"fillColor", &ShapeOverlay::fillColor},
                               Key{"strokeWidth", &ShapeOverlay::strokeWidth},
                               Key{"opacity", &ShapeOverlay::opacity},
                               Key{"arrowStyle", &ShapeOverlay::arrowStyle},
                               Key{"cellSize", &ShapeOverlay::cellSize},
                               Key{"spotlightShape", &ShapeOverlay::spotlightShape}};
constexpr std::tuple removalKeys{Key{"id", &RemovalArea::id}, Key{"rect", &RemovalArea::rect},
                                 Key{"method", &RemovalArea::method}};
constexpr std::tuple markerKeys{Key{"id", &StepMarker::id},         Key{"position", &StepMarker::position},
                                Key{"number", &StepMarker::number}, Key{"color", &StepMarker::color},
                                Key{"size", &StepMarker::size},     Key{"tailPoint", &StepMarker::tailPoint}};
constexpr std::tuple strokeKeys{Key{"id", &PenStroke::id},
                                Key{"points", &PenStroke::points},
                                Key{"highlighter", &PenStroke::highlighter},
                                Key{"color", &PenStroke::color},
                                Key{"width", &PenStroke::width},
                                Key{"opacity", &PenStroke::opacity}};

// Every key of `keys` into `record`, which holds the defaults of what the
// file leaves out; no other key is allowed, and each of `required` must be there.
template <typename Keys, typename Record>
void readKeys(JsonReader& r, const Keys& keys, Record& record,
              std::initializer_list<const char*> required = {})
{
    std::apply(
        [&](const auto&... key) {
            r.allowOnly({key.name...});
            r.require(required);
            (r.read(key.name, record.*key.member), ...);
        },
        keys);
}

// A unit point within reach of the canvas, checked once every type is known good.
void checkUnit(JsonReader& r, const QString& key, const UnitPoint& p)
{
    r.checkWithin(key + QStringLiteral(".x"), p.x, -unitLimit, unitLimit);
    r.checkWithin(key + QStringLiteral(".y"), p.y, -unitLimit, unitLimit);
}

void readText(JsonReader& r, TextOverlay& text)
{
    readKeys(r, textKeys, text);
    checkUnit(r, QStringLiteral("position"), text.position);
    r.checkWithin("fontSize", text.fontSize, 0, pointLimit);
    r.checkWithin("rotation", text.rotation, -degreeLimit, degreeLimit);
}

void readShape(JsonReader& r, ShapeOverlay& shape)
{
    // Omitted fields keep the look of a fresh shape of the type given: a
    // redact box is black, a spotlight dims to 0.6.
    r.read("shapeType", shape.shapeType);
    shape = freshShape(shape.shapeType);
    readKeys(r, shapeKeys, shape);
    checkUnit(r, QStringLiteral("startPoint"), shape.startPoint);
    checkUnit(r, QStringLiteral("endPoint"), shape.endPoint);
    r.checkWithin("strokeWidth", shape.strokeWidth, 0, pointLimit);
    // A cell under a point would read back nearly the pixels it hides.
    r.checkWithin("cellSize", shape.cellSize, 1, pointLimit);
}

void readMarker(JsonReader& r, StepMarker& marker)
{
    readKeys(r, markerKeys, marker, {"position"});
    checkUnit(r, QStringLiteral("position"), marker.position);
    if (marker.tailPoint)
        checkUnit(r, QStringLiteral("tailPoint"), *marker.tailPoint);
    r.checkWithin("number", marker.number, -numberLimit, numberLimit);
    r.checkWithin("size", marker.size, 1, pointLimit);
}

void readStroke(JsonReader& r, PenStroke& stroke)
{
    // A pen or a highlighter as the editor starts one, then what the file says.
    r.read("highlighter", stroke.highlighter);
    stroke = freshPenStroke(stroke.highlighter);
    readKeys(r, strokeKeys, stroke, {"points"});
    if (r.ok() && (stroke.points.isEmpty() || stroke.points.size() > strokePointLimit))
        r.fail("points", QStringLiteral("expected from 1 to %1 points").arg(strokePointLimit));
    for (qsizetype i = 0; i < stroke.points.size() && r.ok(); ++i)
        checkUnit(r, QStringLiteral("points[%1]").arg(i), stroke.points[i]);
    r.checkWithin("width", stroke.width, 0, pointLimit);
    r.checkWithin("opacity", stroke.opacity, 0, 1);
}

void readRemoval(JsonReader& r, RemovalArea& area)
{
    // A removal area without a region has nothing sensible to erase.
    readKeys(r, removalKeys, area, {"rect"});
    const UnitRect& rect = area.rect;
    checkUnit(r, QStringLiteral("rect"), {rect.x, rect.y});
    r.checkWithin("rect.width", rect.width, -unitLimit, unitLimit);
    r.checkWithin("rect.height", rect.height, -unitLimit, unitLimit);
}

template <typename Record, typename ReadOne>
void readList(JsonReader& r, const char* key, QList<Record>& list, ReadOne readOne)
{
    r.readObjects(key, 0, std::numeric_limits<qsizetype>::max(), [&](JsonReader& item) {
        Record record;
        readOne(item, record);
        list.append(std::move(record));
    });
}

// One member's value as written, by its type.
Json valueJson(const UnitPoint& p)
{
    return Json{{"x", p.x}, {"y", p.y}};
}
Json valueJson(const UnitRect& r)
{
    return Json{{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}};
}
Json valueJson(const QUuid& id)
{
    return uuidText(id).toStdString();
}
Json valueJson(const QString& text)
{
    return text.toStdString();
}
Json valueJson(const CodableColor& color)
{
    return toJson(color);
}
Json valueJson(const QList<UnitPoint>& points)
{
    Json array = Json::array();
    for (const UnitPoint& p : points)
        array.push_back(valueJson(p));
    return array;
}
template <typename T> requires std::is_arithmetic_v<T> Json valueJson(T value)
{
    return value;
}
template <typename E> requires std::is_enum_v<E> Json valueJson(E value)
{
    return rawValue(value).toStdString();
}
template <typename T> Json valueJson(const std::optional<T>& value)
{
    return value ? valueJson(*value) : Json(nullptr);
}

// Every key of the record, so that reading it back gives an equal record
// whatever the defaults of a later version.
template <typename Keys, typename Record> Json writeKeys(const Keys& keys, const Record& record)
{
    Json json = Json::object();
    std::apply([&](const auto&... key) { ((json[key.name] = valueJson(record.*key.member)), ...); }, keys);
    return json;
}

template <typename Record, typename Keys>
void writeList(Json& root, const char* key, const QList<Record>& list, const Keys& keys)
{
    if (list.isEmpty())
        return;
    Json array = Json::array();
    for (const Record& record : list)
        array.push_back(writeKeys(keys, record));
    root[key] = std::move(array);
}

} // namespace

Json toJson(const Annotations& annotations)
{
    Json json = Json::object();
    writeList(json, "textOverlays", annotations.textOverlays, textKeys);
    writeList(json, "shapeOverlays", annotations.shapeOverlays, shapeKeys);
    writeList(json, "removalAreas", annotations.removalAreas, removalKeys);
    writeList(json, "stepMarkers", annotations.stepMarkers, markerKeys);
    writeList(json, "penStrokes", annotations.penStrokes, strokeKeys);
    if (annotations.crop)
        json["crop"] = valueJson(*annotations.crop);
    return json;
}

void readAnnotations(JsonReader& r, Annotations& result)
{
    r.allowOnly({"textOverlays", "shapeOverlays", "removalAreas", "stepMarkers", "penStrokes", "crop"});
    r.read("crop", result.crop);
    if (r.ok() && result.crop) {
        const UnitRect& c = *result.crop;
        // A little slack for hand-written decimals that add up to just over 1.
        constexpr double slack = 1e-9;
        if (!(c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0 && c.x + c.width <= 1 + slack &&
              c.y + c.height <= 1 + slack))
            r.fail("crop", QStringLiteral("expected a rectangle inside the screenshot (x, y from 0, "
                                          "width and height above 0, x + width and y + height at most 1)"));
    }
    // Each marker without a number counts on from the one before it.
    auto readNumberedMarker = [&result](JsonReader& item, StepMarker& marker) {
        marker.number = nextMarkerNumber(result.stepMarkers, 1);
        readMarker(item, marker);
    };
    readList(r, "textOverlays", result.textOverlays, readText);
    readList(r, "shapeOverlays", result.shapeOverlays, readShape);
    readList(r, "removalAreas", result.removalAreas, readRemoval);
    readList(r, "stepMarkers", result.stepMarkers, readNumberedMarker);
    readList(r, "penStrokes", result.penStrokes, readStroke);
}

std::optional<Annotations> annotationsFromJson(const Json& json, QString* error)
{
    return readRecord<Annotations>(json, QStringLiteral("annotations"), error, readAnnotations);
}

} // namespace lustrelab
