#include "model_json.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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

Json toJson(const BeautySettings& s)
{
    Json json = Json::object();
    json["cornerRadius"] = s.cornerRadius;
    json["borderWidth"] = s.borderWidth;
    json["borderColor"] = toJson(s.borderColor);
    json["shadowEnabled"] = s.shadowEnabled;
    json["shadowBlur"] = s.shadowBlur;
    json["shadowOffsetX"] = s.shadowOffsetX;
    json["shadowOffsetY"] = s.shadowOffsetY;
    json["shadowOpacity"] = shortestDecimalOf(s.shadowOpacity);
    json["shadowColor"] = toJson(s.shadowColor);
    json["paddingUniform"] = s.paddingUniform;
    json["padding"] = s.padding;
    json["paddingTop"] = s.paddingTop;
    json["paddingBottom"] = s.paddingBottom;
    json["paddingLeading"] = s.paddingLeading;
    json["paddingTrailing"] = s.paddingTrailing;
    json["backgroundType"] = rawValue(s.backgroundType).toStdString();
    json["gradientPresetId"] = s.gradientPresetId.toStdString();
    json["solidColor"] = toJson(s.solidColor);
    json["canvasPresetId"] = s.canvasPresetId.toStdString();
    json["customWidth"] = s.customWidth;
    json["customHeight"] = s.customHeight;
    json["deviceFrameId"] = s.deviceFrameId.toStdString();
    json["exportScale"] = s.exportScale;
    json["exportFormat"] = rawValue(s.exportFormat).toStdString();
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

std::optional<BeautySettings> beautySettingsFromJson(const Json& json, QString* error)
{
    StrictReader r(json, QStringLiteral("settings"), error);
    BeautySettings s;
    s.cornerRadius = r.number("cornerRadius");
    s.borderWidth = r.number("borderWidth");
    s.borderColor = r.color("borderColor");
    s.shadowEnabled = r.boolean("shadowEnabled");
    s.shadowBlur = r.number("shadowBlur");
    s.shadowOffsetX = r.number("shadowOffsetX");
    s.shadowOffsetY = r.number("shadowOffsetY");
    s.shadowOpacity = r.singlePrecision("shadowOpacity");
    // Added later: records written before it keep their black shadow.
    if (r.has("shadowColor"))
        s.shadowColor = r.color("shadowColor");
    s.paddingUniform = r.boolean("paddingUniform");
    s.padding = r.number("padding");
    s.paddingTop = r.number("paddingTop");
    s.paddingBottom = r.number("paddingBottom");
    s.paddingLeading = r.number("paddingLeading");
    s.paddingTrailing = r.number("paddingTrailing");
    s.backgroundType = r.enumeration<BackgroundType>("backgroundType");
    s.gradientPresetId = r.string("gradientPresetId");
    s.solidColor = r.color("solidColor");
    s.canvasPresetId = r.string("canvasPresetId");
    s.customWidth = r.number("customWidth");
    s.customHeight = r.number("customHeight");
    s.deviceFrameId = r.string("deviceFrameId");
    s.exportScale = r.number("exportScale");
    s.exportFormat = r.enumeration<ExportFormat>("exportFormat");
    if (!r.ok())
        return std::nullopt;
    return s;
}

} // namespace lustrelab
