#include "json_reader.h"

#include "css_color.h"
#include "uuid_text.h"

#include <cmath>
#include <limits>
#include <string>

namespace lustrelab {

namespace {

// What stands where a value was expected: short strings and numbers as they
// are, so the user recognises them, anything else by its kind.
QString describe(const Json& json)
{
    if (json.is_string()) {
        const QString text = QString::fromStdString(json.get<std::string>());
        return QLatin1Char('"') + (text.size() > 40 ? text.left(40) + QChar(0x2026) : text) +
               QLatin1Char('"');
    }
    if (json.is_number())
        return QString::number(json.get<double>());
    return QString::fromLatin1(json.type_name());
}

} // namespace

JsonReader::JsonReader(const Json& object, QString path) : JsonReader(object, std::move(path), m_ownError) {}

JsonReader::JsonReader(const Json& object, QString path, JsonReader& parent)
    : JsonReader(object, std::move(path), *parent.m_error)
{
}

JsonReader::JsonReader(const Json& object, QString path, QString& sharedError)
    : m_object(object), m_path(std::move(path)), m_error(&sharedError)
{
    if (ok() && !m_object.is_object())
        *m_error = (m_path.isEmpty() ? QString() : m_path + QStringLiteral(": ")) +
                   QStringLiteral("expected an object, found %1").arg(describe(m_object));
}

QString JsonReader::keyPath(QAnyStringView key) const
{
    return m_path.isEmpty() ? key.toString() : m_path + QLatin1Char('.') + key.toString();
}

bool JsonReader::has(const char* key) const
{
    return m_object.is_object() && m_object.contains(key);
}

const Json* JsonReader::find(const char* key) const
{
    if (!ok())
        return nullptr;
    const auto it = m_object.find(key);
    return it == m_object.end() ? nullptr : &*it;
}

void JsonReader::fail(QAnyStringView key, const QString& reason)
{
    if (ok())
        *m_error = keyPath(key) + QStringLiteral(": ") + reason;
}

void JsonReader::wrongValue(const char* key, const QString& expected, const Json& found)
{
    fail(key, QStringLiteral("expected %1, found %2").arg(expected, describe(found)));
}

void JsonReader::require(std::initializer_list<const char*> keys)
{
    for (const char* key : keys)
        if (ok() && !has(key))
            fail(key, QStringLiteral("missing"));
}

void JsonReader::allowOnly(std::initializer_list<const char*> keys)
{
    if (!ok())
        return;
    for (const auto& [key, value] : m_object.items()) {
        bool known = false;
        for (const char* allowed : keys)
            known = known || key == allowed;
        if (!known) {
            fail(QString::fromStdString(key), QStringLiteral("unknown key"));
            return;
        }
    }
}

void JsonReader::checkWithin(QAnyStringView key, double value, double least, double most)
{
    if (ok() && !(value >= least && value <= most))
        fail(key, QStringLiteral("expected a number from %1 to %2").arg(least).arg(most));
}

bool JsonReader::checkArray(const Json& array, const QString& path, qsizetype least, qsizetype most,
                            QString& error)
{
    const QString where = path.isEmpty() ? QString() : path + QStringLiteral(": ");
    if (!array.is_array())
        error = where + QStringLiteral("expected an array, found %1").arg(describe(array));
    else if (qsizetype(array.size()) < least || qsizetype(array.size()) > most)
        error = where +
                QStringLiteral("expected %1 to %2 entries, found %3").arg(least).arg(most).arg(array.size());
    return error.isEmpty();
}

void JsonReader::read(const char* key, double& value)
{
    if (const Json* json = find(key)) {
        if (json->is_number())
            value = json->get<double>();
        else
            wrongValue(key, QStringLiteral("a number"), *json);
    }
}

void JsonReader::read(const char* key, float& value)
{
    double wide = value;
    read(key, wide);
    // Narrowing a double outside the float range is undefined; no such value
    // was ever written by us, so the record is treated as malformed.
    if (std::isfinite(wide) && std::fabs(wide) > double(std::numeric_limits<float>::max()))
        fail(key, QStringLiteral("number out of range for a 32-bit float"));
    else if (ok())
        value = float(wide);
}

void JsonReader::read(const char* key, int& value)
{
    if (const Json* json = find(key)) {
        const double number = json->is_number() ? json->get<double>() : 0.5;
        if (std::trunc(number) == number && std::abs(number) <= std::numeric_limits<int>::max())
            value = int(number);
        else
            wrongValue(key, QStringLiteral("a whole number"), *json);
    }
}

void JsonReader::read(const char* key, bool& value)
{
    if (const Json* json = find(key)) {
        if (json->is_boolean())
            value = json->get<bool>();
        else
            wrongValue(key, QStringLiteral("true or false"), *json);
    }
}

void JsonReader::read(const char* key, QString& value)
{
    if (const Json* json = find(key)) {
        if (json->is_string())
            value = QString::fromStdString(json->get<std::string>());
        else
            wrongValue(key, QStringLiteral("a string"), *json);
    }
}

void JsonReader::read(const char* key, QUuid& value)
{
    if (const Json* json = find(key)) {
        const std::optional<QUuid> id =
            json->is_string() ? uuidFromText(QString::fromStdString(json->get<std::string>())) : std::nullopt;
        if (id)
            value = *id;
        else
            wrongValue(key, QStringLiteral("a UUID string"), *json);
    }
}

void JsonReader::read(const char* key, UnitPoint& value)
{
    readObject(key, [&](JsonReader& point) {
        point.allowOnly({"x", "y"});
        point.require({"x", "y"});
        UnitPoint p;
        point.read("x", p.x);
        point.read("y", p.y);
        if (point.ok())
            value = p;
    });
}

void JsonReader::read(const char* key, UnitRect& value)
{
    readObject(key, [&](JsonReader& rect) {
        rect.allowOnly({"x", "y", "width", "height"});
        rect.require({"x", "y", "width", "height"});
        UnitRect r;
        rect.read("x", r.x);
        rect.read("y", r.y);
        rect.read("width", r.width);
        rect.read("height", r.height);
        if (rect.ok())
            value = r;
    });
}

void JsonReader::read(const char* key, QList<UnitPoint>& value)
{
    QList<UnitPoint> points;
    readObjects(key, 0, std::numeric_limits<qsizetype>::max(), [&](JsonReader& point) {
        point.allowOnly({"x", "y"});
        point.require({"x", "y"});
        UnitPoint& p = points.emplace_back();
        point.read("x", p.x);
        point.read("y", p.y);
    });
    if (ok() && has(key))
        value = std::move(points);
}

void JsonReader::read(const char* key, std::optional<UnitPoint>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    UnitPoint point;
    if (!json->is_null())
        read(key, point);
    if (ok())
        value = json->is_null() ? std::nullopt : std::optional(point);
}

void JsonReader::read(const char* key, std::optional<UnitRect>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    UnitRect rect;
    if (!json->is_null())
        read(key, rect);
    if (ok())
        value = json->is_null() ? std::nullopt : std::optional(rect);
}

void JsonReader::readFields(CodableColor& color)
{
    require({"red", "green", "blue", "opacity"});
    CodableColor c;
    read("red", c.red);
    read("green", c.green);
    read("blue", c.blue);
    read("opacity", c.opacity);
    if (ok())
        color = c;
}

void JsonReader::read(const char* key, CodableColor& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    if (json->is_object()) {
        readObject(key, [&](JsonReader& color) { color.readFields(value); });
        return;
    }
    if (auto color = json->is_string() ? parseCssColor(QString::fromStdString(json->get<std::string>()))
                                       : std::nullopt)
        value = *color;
    else
        wrongValue(key, QStringLiteral("a colour object or \"#RRGGBB\" / \"#RRGGBBAA\""), *json);
}

void JsonReader::read(const char* key, std::optional<CodableColor>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    CodableColor color;
    if (!json->is_null())
        read(key, color);
    if (ok())
        value = json->is_null() ? std::nullopt : std::optional(color);
}

} // namespace lustrelab
