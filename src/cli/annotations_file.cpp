#include "annotations_file.h"

#include "json_object_reader.h"

#include <cmath>

namespace lustrelab {

namespace {

// Hand-written geometry is held within reach of the canvas. Far beyond it a
// shape draws nothing anyone sees, yet its size still costs drawing time (a
// mosaic of 10^15 points), so such values are refused with the key's name.
constexpr double unitLimit = 100;    // unit coordinates: a hundred canvases either way
constexpr double pointLimit = 10000; // stroke widths and font sizes, in points
constexpr double degreeLimit = 1e6;  // text rotation

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
    ShapeOverlay shape; // likewise for shapes
    JsonObjectReader reader(json, path);
    reader.allowOnly({"id", "shapeType", "startPoint", "endPoint", "strokeColor", "fillColor", "strokeWidth",
                      "opacity", "arrowStyle"});
    reader.read("id", shape.id);
    reader.readEnum("shapeType", shape.shapeType);
    reader.read("startPoint", shape.startPoint);
    reader.read("endPoint", shape.endPoint);
    reader.read("strokeColor", shape.strokeColor);
    reader.read("fillColor", shape.fillColor);
    reader.read("strokeWidth", shape.strokeWidth);
    reader.read("opacity", shape.opacity);
    reader.readEnum("arrowStyle", shape.arrowStyle);
    *error = reader.error();
    checkUnit(error, path, "startPoint", {{"x", shape.startPoint.x}, {"y", shape.startPoint.y}});
    checkUnit(error, path, "endPoint", {{"x", shape.endPoint.x}, {"y", shape.endPoint.y}});
    checkNumber(error, path, "strokeWidth", shape.strokeWidth, 0, pointLimit);
    return shape;
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

} // namespace

std::optional<Annotations> annotationsFromJson(const Json& json, QString* error)
{
    QString reason;
    Annotations result;
    JsonObjectReader top(json, QStringLiteral("annotations"));
    top.allowOnly({"textOverlays", "shapeOverlays", "removalAreas"});
    if (!top.ok())
        reason = top.error();
    else if (readList(json, "textOverlays", result.textOverlays, readText, &reason) &&
             readList(json, "shapeOverlays", result.shapeOverlays, readShape, &reason) &&
             readList(json, "removalAreas", result.removalAreas, readRemoval, &reason))
        return result;
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace lustrelab
