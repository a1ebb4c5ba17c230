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
    TextOverlay text = newTextOverlay();
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
    ShapeOverlay shape = newShapeOverlay();
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
    RemovalArea area = newRemovalArea();
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

TextOverlay newTextOverlay()
{
    TextOverlay text;
    text.text = QStringLiteral("Text");
    text.position = {0.5, 0.5};
    text.fontName = QStringLiteral("SF Pro Display");
    text.fontSize = 32;
    text.fontWeight = FontWeight::regular;
    text.textColor = CodableColor{1, 1, 1, 1};
    text.backgroundColor.reset();
    text.isRedacted = false;
    text.rotation = 0;
    text.opacity = 1;
    return text;
}

ShapeOverlay newShapeOverlay(ShapeType type)
{
    ShapeOverlay shape;
    shape.shapeType = type;
    shape.startPoint = {0.3, 0.3};
    shape.endPoint = {0.7, 0.7};
    shape.strokeColor = CodableColor{1, 0, 0, 1};
    shape.fillColor.reset();
    shape.strokeWidth = 3;
    shape.opacity = 1;
    shape.arrowStyle = ArrowStyle::single;
    return shape;
}

RemovalArea newRemovalArea()
{
    RemovalArea area;
    area.method = RemovalMethod::contentAware;
    return area;
}

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
