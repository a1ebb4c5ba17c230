#include "model_json.h"

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

QString jsonTypeName(const Json& json)
{
    return QString::fromLatin1(json.type_name());
}

// Reads the members of one JSON object in a fixed order and stops at the
// first one that is missing or malformed, naming it by its full path.
class StrictReader
{
  public:
    StrictReader(const Json& object, QString path, QString* error)
        : m_object(object), m_path(std::move(path)), m_error(error)
    {
        if (!m_object.is_object())
            fail(m_path, QStringLiteral("expected an object, found %1").arg(jsonTypeName(m_object)));
    }

    bool ok() const { return m_ok; }

    // For keys added after the first files were written: a missing one keeps
    // the field's default.
    bool has(const char* key) const { return m_object.is_object() && m_object.contains(key); }

    double number(const char* key)
    {
        const Json* value = member(key);
        if (!value)
            return 0;
        if (!value->is_number()) {
            wrongType(key, "a number", *value);
            return 0;
        }
        return value->get<double>();
    }

    float singlePrecision(const char* key)
    {
        const double wide = number(key);
        if (!m_ok)
            return 0;
        // Narrowing a double outside the float range is undefined; such a value
        // cannot have been written by us, so the record is treated as malformed.
        if (std::isfinite(wide) && std::fabs(wide) > double(std::numeric_limits<float>::max())) {
            fail(keyPath(key), QStringLiteral("number out of range for a 32-bit float"));
            return 0;
        }
        return float(wide);
    }

    bool boolean(const char* key)
    {
        const Json* value = member(key);
        if (!value)
            return false;
        if (!value->is_boolean()) {
            wrongType(key, "a boolean", *value);
            return false;
        }
        return value->get<bool>();
    }

    QString string(const char* key)
    {
        const Json* value = member(key);
        if (!value)
            return {};
        if (!value->is_string()) {
            wrongType(key, "a string", *value);
            return {};
        }
        return QString::fromStdString(value->get_ref<const std::string&>());
    }

    template <typename E> E enumeration(const char* key)
    {
        const Json* value = member(key);
        if (!value)
            return E{};
        if (!value->is_string()) {
            wrongType(key, "a string", *value);
            return E{};
        }
        const QString text = QString::fromStdString(value->get_ref<const std::string&>());
        const std::optional<E> parsed = fromRawValue<E>(text);
        if (!parsed) {
            fail(keyPath(key), QStringLiteral("unknown value \"%1\"").arg(text));
            return E{};
        }
        return *parsed;
    }

    CodableColor color(const char* key)
    {
        const Json* value = member(key);
        if (!value)
            return {};
        StrictReader nested(*value, keyPath(key), m_error);
        const CodableColor result = nested.colorFields();
        if (!nested.ok())
            m_ok = false;
        return result;
    }

    // A nested object read by `read(StrictReader&)`; a failure inside it fails this reader.
    template <typename Read> void object(const char* key, Read&& read)
    {
        const Json* value = member(key);
        if (!value)
            return;
        StrictReader nested(*value, keyPath(key), m_error);
        if (nested.ok())
            read(nested);
        if (!nested.ok())
            m_ok = false;
    }

    // An array of objects, each read by `read(StrictReader&)`, with a count in [least, most].
    template <typename Read> void objects(const char* key, qsizetype least, qsizetype most, Read&& read)
    {
        const Json* value = member(key);
        if (!value)
            return;
        if (!value->is_array()) {
            wrongType(key, "an array", *value);
            return;
        }
        if (qsizetype(value->size()) < least || qsizetype(value->size()) > most) {
            fail(keyPath(key), QStringLiteral("expected %1 to %2 entries, found %3")
                                   .arg(least)
                                   .arg(most)
                                   .arg(value->size()));
            return;
        }
        for (std::size_t i = 0; i < value->size() && m_ok; ++i) {
            StrictReader nested((*value)[i], keyPath(key) + QStringLiteral("[%1]").arg(i), m_error);
            if (nested.ok())
                read(nested);
            if (!nested.ok())
                m_ok = false;
        }
    }

    // A number that must lie in [least, most].
    double numberWithin(const char* key, double least, double most)
    {
        const double value = number(key);
        if (m_ok && !(value >= least && value <= most))
            fail(keyPath(key), QStringLiteral("expected a number from %1 to %2").arg(least).arg(most));
        return value;
    }

    CodableColor colorFields()
    {
        CodableColor c;
        c.red = number("red");
        c.green = number("green");
        c.blue = number("blue");
        c.opacity = number("opacity");
        return c;
    }

  private:
    const Json* member(const char* key)
    {
        if (!m_ok)
            return nullptr;
        const auto it = m_object.find(key);
        if (it == m_object.end()) {
            fail(keyPath(key), QStringLiteral("missing"));
            return nullptr;
        }
        return &*it;
    }

    QString keyPath(const char* key) const { return m_path + QLatin1Char('.') + QLatin1StringView(key); }

    void wrongType(const char* key, const char* expected, const Json& found)
    {
        fail(keyPath(key),
             QStringLiteral("expected %1, found %2").arg(QLatin1StringView(expected), jsonTypeName(found)));
    }

    void fail(const QString& where, const QString& what)
    {
        if (m_ok && m_error)
            *m_error = where + QStringLiteral(": ") + what;
        m_ok = false;
    }

    const Json& m_object;
    QString m_path;
    QString* m_error;
    bool m_ok = true;
};

void readCustomGradient(StrictReader& r, CustomGradient& g)
{
    g.kind = r.enumeration<GradientKind>("kind");
    // Hand-written gradients name only what their kind draws with: a linear
    // one has no centre, a radial one no angle. What a kind does not use
    // may be left out, and what it uses may not.
    const bool usesAngle = g.kind != GradientKind::radial;
    const bool usesCentre = g.kind != GradientKind::linear;
    g.angle = usesAngle || r.has("angle") ? r.number("angle") : 0;
    g.centerX = usesCentre || r.has("centerX") ? r.number("centerX") : 0.5;
    g.centerY = usesCentre || r.has("centerY") ? r.number("centerY") : 0.5;
    g.stops.clear();
    r.objects("stops", CustomGradient::minimumStops, CustomGradient::maximumStops, [&](StrictReader& stop) {
        GradientStop read;
        read.color = stop.color("color");
        read.position = stop.numberWithin("position", 0, 1);
        g.stops.append(read);
    });
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
void readField(StrictReader& r, const StylingField& field, double& value)
{
    value = field.rule == StylingValueRule::fraction ? r.numberWithin(field.key, 0, 1) : r.number(field.key);
}
void readField(StrictReader& r, const StylingField& field, float& value)
{
    value = r.singlePrecision(field.key);
}
void readField(StrictReader& r, const StylingField& field, bool& value)
{
    value = r.boolean(field.key);
}
void readField(StrictReader& r, const StylingField& field, QString& value)
{
    value = r.string(field.key);
}
void readField(StrictReader& r, const StylingField& field, CodableColor& value)
{
    value = r.color(field.key);
}
void readField(StrictReader& r, const StylingField& field, CustomGradient& value)
{
    r.object(field.key, [&](StrictReader& g) { readCustomGradient(g, value); });
}
template <typename E> requires std::is_enum_v<E> void readField(StrictReader& r, const StylingField& field, E& value)
{
    value = r.enumeration<E>(field.key);
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

std::optional<CodableColor> codableColorFromJson(const Json& json, QString* error)
{
    StrictReader reader(json, QStringLiteral("color"), error);
    const CodableColor color = reader.colorFields();
    if (!reader.ok())
        return std::nullopt;
    return color;
}

std::optional<CustomGradient> customGradientFromJson(const Json& json, QString* error)
{
    StrictReader reader(json, QStringLiteral("customGradient"), error);
    CustomGradient gradient;
    if (reader.ok())
        readCustomGradient(reader, gradient);
    if (!reader.ok())
        return std::nullopt;
    return gradient;
}

std::optional<BeautySettings> beautySettingsFromJson(const Json& json, QString* error)
{
    StrictReader r(json, QStringLiteral("settings"), error);
    BeautySettings s;
    for (const StylingField& field : stylingFields()) {
        if (!r.ok())
            break;
        // A key added after the first files were written may be missing: the
        // record then reads to the look it always had.
        if (field.since > 1 && !r.has(field.key))
            continue;
        std::visit([&](auto member) { readField(r, field, s.*member); }, field.member);
    }
    if (!r.ok())
        return std::nullopt;
    return s;
}

} // namespace lustrelab
