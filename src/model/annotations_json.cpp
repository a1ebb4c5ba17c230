#include "annotations_json.h"

#include "json_object_reader.h"

#include <cmath>

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

QString rangeText(double low, double high)
{
    return QStringLiteral("from %1 to %2").arg(low).arg(high);
}

// The first failure wins: a reader's type error is never overwritten.
void checkNumber(QString* error, const QString& path, const char* key, double value, double low, double high)
{
    if (error->isEmpty() && !(value >= low && value <= high))
        *error = QStringLiteral("%1.%2: expected a number %3")
                     .arg(path, QLatin1StringView(key), rangeText(low, high));
}

void checkUnit(QString* error, const QString& path, const char* key,
               std::initializer_list<std::pair<const char*, double>> fields)
{
    for (const auto& [name, value] : fields)
        if (error->isEmpty() && !(std::abs(value) <= unitLimit))
            *error = QStringLiteral("%1.%2: \"%3\" must be %4")
                         .arg(path, QLatin1StringView(key), QLatin1StringView(name),
                              rangeText(-unitLimit, unitLimit));
}

QString itemPath(const char* list, std::size_t index)
{
    return QStringLiteral("%1[%2]").arg(QLatin1StringView(list)).arg(index);
}

TextOverlay readText(const Json& json, const QString& path, QString* error)
{
    TextOverlay text; // omitted fields keep the look of a freshly added text
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "text", "position", "fontName", "fontSize", "fontWeight", "textColor",
                      "backgroundColor", "isRedacted", "rotation", "opacity"});
    reader.read("id", text.id);
    reader.read("text", text.text);
    reader.read("position", text.position);
    reader.read("fontName", text.fontName);
    reader.read("fontSize", text.fontSize);
    reader.readEnum("fontWeight", text.fontWeight);
    reader.read("textColor", text.textColor);
    reader.read("backgroundColor", text.backgroundColor);
    reader.read("isRedacted", text.isRedacted);
    reader.read("rotation", text.rotation);
    reader.read("opacity", text.opacity);
    *error = reader.error();
    checkUnit(error, path, "position", {{"x", text.position.x}, {"y", text.position.y}});
    checkNumber(error, path, "fontSize", text.fontSize, 0, pointLimit);
    checkNumber(error, path, "rotation", text.rotation, -degreeLimit, degreeLimit);
    return text;
}

ShapeOverlay readShape(const Json& json, const QString& path, QString* error)
{
    // Likewise for shapes, of the type given: a redact box is black, a spotlight dims to 0.6.
    ShapeType type = ShapeOverlay{}.shapeType;
    JsonObjectReader typeReader(json, path);
    typeReader.readEnum("shapeType", type);
    ShapeOverlay shape = freshShape(type);
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "shapeType", "startPoint", "endPoint", "strokeColor", "fillColor", "strokeWidth",
                      "opacity", "arrowStyle", "cellSize", "spotlightShape"});
    reader.read("id", shape.id);
    reader.readEnum("shapeType", shape.shapeType);
    reader.read("startPoint", shape.startPoint);
    reader.read("endPoint", shape.endPoint);
    reader.read("strokeColor", shape.strokeColor);
    reader.read("fillColor", shape.fillColor);
    reader.read("strokeWidth", shape.strokeWidth);
    reader.read("opacity", shape.opacity);
    reader.readEnum("arrowStyle", shape.arrowStyle);
    reader.read("cellSize", shape.cellSize);
    reader.readEnum("spotlightShape", shape.spotlightShape);
    *error = reader.error();
    checkUnit(error, path, "startPoint", {{"x", shape.startPoint.x}, {"y", shape.startPoint.y}});
    checkUnit(error, path, "endPoint", {{"x", shape.endPoint.x}, {"y", shape.endPoint.y}});
    checkNumber(error, path, "strokeWidth", shape.strokeWidth, 0, pointLimit);
    // A cell under a point would read back nearly the pixels it hides.
    checkNumber(error, path, "cellSize", shape.cellSize, 1, pointLimit);
    return shape;
}

StepMarker readMarker(const Json& json, const QString& path, QString* error, int number)
{
    StepMarker marker;
    marker.number = number;
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "position", "number", "color", "size", "tailPoint"});
    reader.require("position");
    reader.read("id", marker.id);
    reader.read("position", marker.position);
    reader.read("number", marker.number);
    reader.read("color", marker.color);
    reader.read("size", marker.size);
    reader.read("tailPoint", marker.tailPoint);
    *error = reader.error();
    checkUnit(error, path, "position", {{"x", marker.position.x}, {"y", marker.position.y}});
    if (marker.tailPoint)
        checkUnit(error, path, "tailPoint", {{"x", marker.tailPoint->x}, {"y", marker.tailPoint->y}});
    checkNumber(error, path, "number", marker.number, -numberLimit, numberLimit);
    checkNumber(error, path, "size", marker.size, 1, pointLimit);
    return marker;
}

PenStroke readStroke(const Json& json, const QString& path, QString* error)
{
    // A pen or a highlighter as the editor starts one, then what the file says.
    bool highlighter = false;
    JsonObjectReader kindReader(json, path);
    kindReader.read("highlighter", highlighter);
    PenStroke stroke = freshPenStroke(highlighter);
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "points", "highlighter", "color", "width", "opacity"});
    reader.require("points");
    reader.read("id", stroke.id);
    reader.read("points", stroke.points);
    reader.read("highlighter", stroke.highlighter);
    reader.read("color", stroke.color);
    reader.read("width", stroke.width);
    reader.read("opacity", stroke.opacity);
    *error = reader.error();
    if (error->isEmpty() && (stroke.points.isEmpty() || stroke.points.size() > strokePointLimit))
        *error = QStringLiteral("%1.points: expected from 1 to %2 points").arg(path).arg(strokePointLimit);
    for (qsizetype i = 0; i < stroke.points.size() && error->isEmpty(); ++i)
        checkUnit(error, path, QStringLiteral("points[%1]").arg(i).toLatin1().constData(),
                  {{"x", stroke.points[i].x}, {"y", stroke.points[i].y}});
    checkNumber(error, path, "width", stroke.width, 0, pointLimit);
    checkNumber(error, path, "opacity", stroke.opacity, 0, 1);
    return stroke;
}

RemovalArea readRemoval(const Json& json, const QString& path, QString* error)
{
    RemovalArea area;
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "rect", "method"});
    // A removal area without a region has nothing sensible to erase.
    reader.require("rect");
    reader.read("id", area.id);
    reader.read("rect", area.rect);
    reader.readEnum("method", area.method);
    *error = reader.error();
    const UnitRect& r = area.rect;
    checkUnit(error, path, "rect", {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}});
    return area;
}

template <typename Record, typename ReadOne>
bool readList(const Json& root, const char* key, QList<Record>& list, ReadOne readOne, QString* error)
{
    const auto it = root.find(key);
    if (it == root.end())
        return true;
    if (!it->is_array()) {
        *error = QStringLiteral("%1: expected an array").arg(QLatin1StringView(key));
        return false;
    }
    for (std::size_t i = 0; i < it->size(); ++i) {
        list.append(readOne((*it)[i], itemPath(key, i), error));
        if (!error->isEmpty())
            return false;
    }
    return true;
}

Json pointJson(const UnitPoint& p)
{
    return Json{{"x", p.x}, {"y", p.y}};
}

Json rectJson(const UnitRect& r)
{
    return Json{{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}};
}

Json idJson(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper().toStdString();
}

template <typename E> Json rawJson(E value)
{
    return rawValue(value).toStdString();
}

Json optionalColorJson(const std::optional<CodableColor>& color)
{
    return color ? toJson(*color) : Json(nullptr);
}

Json textJson(const TextOverlay& t)
{
    return Json{{"id", idJson(t.id)},
                {"text", t.text.toStdString()},
                {"position", pointJson(t.position)},
                {"fontName", t.fontName.toStdString()},
                {"fontSize", t.fontSize},
                {"fontWeight", rawJson(t.fontWeight)},
                {"textColor", toJson(t.textColor)},
                {"backgroundColor", optionalColorJson(t.backgroundColor)},
                {"isRedacted", t.isRedacted},
                {"rotation", t.rotation},
                {"opacity", t.opacity}};
}

Json shapeJson(const ShapeOverlay& s)
{
    return Json{{"id", idJson(s.id)},
                {"shapeType", rawJson(s.shapeType)},
                {"startPoint", pointJson(s.startPoint)},
                {"endPoint", pointJson(s.endPoint)},
                {"strokeColor", toJson(s.strokeColor)},
                {"fillColor", optionalColorJson(s.fillColor)},
                {"strokeWidth", s.strokeWidth},
                {"opacity", s.opacity},
                {"arrowStyle", rawJson(s.arrowStyle)},
                {"cellSize", s.cellSize},
                {"spotlightShape", rawJson(s.spotlightShape)}};
}

Json removalJson(const RemovalArea& a)
{
    return Json{{"id", idJson(a.id)}, {"rect", rectJson(a.rect)}, {"method", rawJson(a.method)}};
}

Json markerJson(const StepMarker& m)
{
    return Json{{"id", idJson(m.id)},
                {"position", pointJson(m.position)},
                {"number", m.number},
                {"color", toJson(m.color)},
                {"size", m.size},
                {"tailPoint", m.tailPoint ? pointJson(*m.tailPoint) : Json(nullptr)}};
}

Json strokeJson(const PenStroke& s)
{
    Json points = Json::array();
    for (const UnitPoint& p : s.points)
        points.push_back(pointJson(p));
    return Json{{"id", idJson(s.id)},
                {"points", std::move(points)},
                {"highlighter", s.highlighter},
                {"color", toJson(s.color)},
                {"width", s.width},
                {"opacity", s.opacity}};
}

template <typename Record, typename WriteOne>
void writeList(Json& root, const char* key, const QList<Record>& list, WriteOne writeOne)
{
    if (list.isEmpty())
        return;
    Json array = Json::array();
    for (const Record& record : list)
        array.push_back(writeOne(record));
    root[key] = std::move(array);
}

} // namespace

Json toJson(const Annotations& annotations)
{
    Json json = Json::object();
    writeList(json, "textOverlays", annotations.textOverlays, textJson);
    writeList(json, "shapeOverlays", annotations.shapeOverlays, shapeJson);
    writeList(json, "removalAreas", annotations.removalAreas, removalJson);
    writeList(json, "stepMarkers", annotations.stepMarkers, markerJson);
    writeList(json, "penStrokes", annotations.penStrokes, strokeJson);
    if (annotations.crop)
        json["crop"] = rectJson(*annotations.crop);
    return json;
}

std::optional<Annotations> annotationsFromJson(const Json& json, QString* error)
{
    QString reason;
    Annotations result;
    JsonObjectReader top(json, QStringLiteral("annotations"));
    top.allowOnly({"textOverlays", "shapeOverlays", "removalAreas", "stepMarkers", "penStrokes", "crop"});
    top.read("crop", result.crop);
    if (top.ok() && result.crop) {
        const UnitRect& c = *result.crop;
        // A little slack for hand-written decimals that add up to just over 1.
        constexpr double slack = 1e-9;
        if (!(c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0 && c.x + c.width <= 1 + slack &&
              c.y + c.height <= 1 + slack))
            reason = QStringLiteral("crop: expected a rectangle inside the screenshot (x, y from 0, "
                                    "width and height above 0, x + width and y + height at most 1)");
    }
    // Each marker without a number counts on from the one before it.
    auto readNumberedMarker = [&result](const Json& marker, const QString& path, QString* error) {
        return readMarker(marker, path, error, nextMarkerNumber(result.stepMarkers, 1));
    };
    if (!top.ok())
        reason = top.error();
    else if (reason.isEmpty() && readList(json, "textOverlays", result.textOverlays, readText, &reason) &&
             readList(json, "shapeOverlays", result.shapeOverlays, readShape, &reason) &&
             readList(json, "removalAreas", result.removalAreas, readRemoval, &reason) &&
             readList(json, "stepMarkers", result.stepMarkers, readNumberedMarker, &reason) &&
             readList(json, "penStrokes", result.penStrokes, readStroke, &reason))
        return result;
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace lustrelab
