#include "annotations_file.h"

#include "json_object_reader.h"

namespace lustrelab {

namespace {

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
