#include "model_json.h"

#include "json_reader.h"
#include "styling_fields.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>
#include <variant>

namespace lustrelab {

namespace {

// The shortest decimal that reads back to the same 32-bit value, held as the
// double of that decimal: nlohmann prints doubles in their shortest form, so
// 0.3f is written as 0.3 rather than as the exact widening 0.30000001192092896.
double shortestDecimalOf(float value)
{
    if (!std::isfinite(value))
        return double(value);
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double result = double(value);
    std::from_chars(text, written.ptr, result);
    return result;
}

// One styling field's value as written, by the member's type.
Json fieldJson(double value)
{
    return value;
}
Json fieldJson(float value)
{
    return shortestDecimalOf(value);
}
Json fieldJson(bool value)
{
    return value;
}
Json fieldJson(const QString& value)
{
    return value.toStdString();
}
Json fieldJson(const CodableColor& value)
{
    return toJson(value);
}
Json fieldJson(const CustomGradient& value)
{
    return toJson(value);
}
template <typename E> requires std::is_enum_v<E> Json fieldJson(E value)
{
    return rawValue(value).toStdString();
}

// One styling field read into its member, by the member's type.
template <typename T> void readField(JsonReader& r, const StylingField& field, T& value)
{
    r.read(field.key, value);
    if constexpr (std::is_same_v<T, double>)
        if (field.rule == StylingValueRule::fraction)
            r.checkWithin(field.key, value, 0, 1);
}
void readField(JsonReader& r, const StylingField& field, CustomGradient& value)
{
    r.readObject(field.key, [&](JsonReader& g) { readCustomGradient(g, value); });
}

} // namespace

Json toJson(const CodableColor& color)
{
    Json json = Json::object();
    json["red"] = color.red;
    json["green"] = color.green;
    json["blue"] = color.blue;
    json["opacity"] = color.opacity;
    return json;
}

Json toJson(const CustomGradient& gradient)
{
    Json json = Json::object();
    json["kind"] = rawValue(gradient.kind).toStdString();
    json["angle"] = gradient.angle;
    json["centerX"] = gradient.centerX;
    json["centerY"] = gradient.centerY;
    Json stops = Json::array();
    for (const GradientStop& stop : gradient.stops)
        stops.push_back(Json{{"color", toJson(stop.color)}, {"position", stop.position}});
    json["stops"] = std::move(stops);
    return json;
}

Json toJson(const BeautySettings& s)
{
    Json json = Json::object();
    for (const StylingField& field : stylingFields())
        std::visit([&](auto member) { json[field.key] = fieldJson(s.*member); }, field.member);
    return json;
}

void readCustomGradient(JsonReader& r, CustomGradient& g)
{
    r.require({"kind"});
    r.read("kind", g.kind);
    // Hand-written gradients name only what their kind draws with: a linear
    // one has no centre, a radial one no angle. What a kind does not use
    // may be left out, and what it uses may not.
    if (r.ok() && g.kind != GradientKind::radial)
        r.require({"angle"});
    if (r.ok() && g.kind != GradientKind::linear)
        r.require({"centerX", "centerY"});
    r.require({"stops"});
    g.angle = 0;
    g.centerX = g.centerY = 0.5;
    r.read("angle", g.angle);
    r.read("centerX", g.centerX);
    r.read("centerY", g.centerY);
    QList<GradientStop> stops;
    r.readObjects("stops", CustomGradient::minimumStops, CustomGradient::maximumStops, [&](JsonReader& stop) {
        stop.require({"color", "position"});
        GradientStop& read = stops.emplace_back();
        stop.read("color", read.color);
        stop.read("position", read.position);
        stop.checkWithin("position", read.position, 0, 1);
    });
    if (r.ok())
        g.stops = std::move(stops);
}

void readBeautySettings(JsonReader& r, BeautySettings& s)
{
    for (const StylingField& field : stylingFields()) {
        // A key added after the first files were written may be missing: the
        // record then reads to the look it always had.
        if (field.since == 1)
            r.require({field.key});
        std::visit([&](auto member) { readField(r, field, s.*member); }, field.member);
    }
}

std::optional<CodableColor> codableColorFromJson(const Json& json, QString* error)
{
    return readRecord<CodableColor>(json, QStringLiteral("color"), error,
                                    [](JsonReader& r, CodableColor& c) { r.readFields(c); });
}

std::optional<CustomGradient> customGradientFromJson(const Json& json, QString* error)
{
    return readRecord<CustomGradient>(json, QStringLiteral("customGradient"), error, readCustomGradient);
}

std::optional<BeautySettings> beautySettingsFromJson(const Json& json, QString* error)
{
    return readRecord<BeautySettings>(json, QStringLiteral("settings"), error, readBeautySettings);
}

} // namespace lustrelab
