#include "json_object_reader.h"

#include "css_color.h"

#include <cmath>
#include <limits>
#include <string>

namespace lustrelab {

JsonObjectReader::JsonObjectReader(const Json& object, QString path)
    : m_object(object), m_path(std::move(path))
{
    if (!m_object.is_object())
        m_error = QStringLiteral("%1: expected an object").arg(m_path);
}

const Json* JsonObjectReader::find(const char* key) const
{
    if (!ok())
        return nullptr;
    const auto it = m_object.find(key);
    return it == m_object.end() ? nullptr : &*it;
}

void JsonObjectReader::fail(const char* key, const QString& reason)
{
    if (ok())
        m_error = QStringLiteral("%1.%2: %3").arg(m_path, QLatin1StringView(key), reason);
}

void JsonObjectReader::allowOnly(std::initializer_list<const char*> keys)
{
    if (!ok())
        return;
    for (const auto& [key, value] : m_object.items()) {
        bool known = false;
        for (const char* allowed : keys)
            known = known || key == allowed;
        if (!known) {
            m_error = QStringLiteral("%1.%2: unknown key").arg(m_path, QString::fromStdString(key));
            return;
        }
    }
}

void JsonObjectReader::require(const char* key)
{
    if (ok() && !find(key))
        fail(key, QStringLiteral("missing"));
}

void JsonObjectReader::read(const char* key, double& value)
{
    if (const Json* json = find(key)) {
        if (json->is_number())
            value = json->get<double>();
        else
            fail(key, QStringLiteral("expected a number"));
    }
}

void JsonObjectReader::read(const char* key, int& value)
{
    if (const Json* json = find(key)) {
        const double number = json->is_number() ? json->get<double>() : 0.5;
        if (std::trunc(number) == number && std::abs(number) <= std::numeric_limits<int>::max())
            value = int(number);
        else
            fail(key, QStringLiteral("expected a whole number"));
    }
}

void JsonObjectReader::read(const char* key, bool& value)
{
    if (const Json* json = find(key)) {
        if (json->is_boolean())
            value = json->get<bool>();
        else
            fail(key, QStringLiteral("expected true or false"));
    }
}

void JsonObjectReader::read(const char* key, QString& value)
{
    if (const Json* json = find(key)) {
        if (json->is_string())
            value = QString::fromStdString(json->get<std::string>());
        else
            fail(key, QStringLiteral("expected a string"));
    }
}

void JsonObjectReader::read(const char* key, QUuid& value)
{
    if (const Json* json = find(key)) {
        const QUuid id =
            json->is_string() ? QUuid::fromString(QString::fromStdString(json->get<std::string>())) : QUuid();
        if (id.isNull())
            fail(key, QStringLiteral("expected a UUID string"));
        else
            value = id;
    }
}

bool JsonObjectReader::readNumbers(const char* key,
                                   std::initializer_list<std::pair<const char*, double*>> fields)
{
    const Json* json = find(key);
    if (!json)
        return false;
    if (!json->is_object()) {
        fail(key, QStringLiteral("expected an object"));
        return false;
    }
    for (const auto& [name, target] : fields) {
        const auto it = json->find(name);
        if (it == json->end() || !it->is_number()) {
            fail(key, QStringLiteral("\"%1\" must be a number").arg(QLatin1StringView(name)));
            return false;
        }
        *target = it->get<double>();
    }
    return true;
}

void JsonObjectReader::read(const char* key, UnitPoint& value)
{
    UnitPoint p;
    if (readNumbers(key, {{"x", &p.x}, {"y", &p.y}}))
        value = p;
}

void JsonObjectReader::read(const char* key, UnitRect& value)
{
    UnitRect r;
    if (readNumbers(key, {{"x", &r.x}, {"y", &r.y}, {"width", &r.width}, {"height", &r.height}}))
        value = r;
}

void JsonObjectReader::read(const char* key, QList<UnitPoint>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    if (!json->is_array()) {
        fail(key, QStringLiteral("expected an array of {\"x\", \"y\"} points"));
        return;
    }
    QList<UnitPoint> points;
    points.reserve(qsizetype(json->size()));
    for (std::size_t i = 0; i < json->size(); ++i) {
        const Json& point = (*json)[i];
        const auto x = point.is_object() ? point.find("x") : Json::const_iterator();
        const auto y = point.is_object() ? point.find("y") : Json::const_iterator();
        if (!point.is_object() || point.size() != 2 || x == point.end() || y == point.end() ||
            !x->is_number() || !y->is_number()) {
            const std::string element = std::string(key) + "[" + std::to_string(i) + "]";
            fail(element.c_str(), QStringLiteral("expected an object with the numbers \"x\" and \"y\""));
            return;
        }
        points.append({x->get<double>(), y->get<double>()});
    }
    value = std::move(points);
}

void JsonObjectReader::read(const char* key, std::optional<UnitPoint>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    if (json->is_null()) {
        value.reset();
        return;
    }
    UnitPoint point;
    read(key, point);
    if (ok())
        value = point;
}

void JsonObjectReader::read(const char* key, std::optional<UnitRect>& value)
{
    if (!find(key))
        return;
    UnitRect rect;
    read(key, rect);
    if (ok())
        value = rect;
}

void JsonObjectReader::read(const char* key, CodableColor& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    // Colour objects as templates store them; a CSS hex string is accepted too
    // because it is far easier to type.
    if (json->is_string()) {
        if (auto color = parseCssColor(QString::fromStdString(json->get<std::string>())))
            value = *color;
        else
            fail(key, QStringLiteral("expected a colour object or \"#RRGGBB\" / \"#RRGGBBAA\""));
        return;
    }
    QString reason;
    if (auto color = codableColorFromJson(*json, &reason))
        value = *color;
    else
        fail(key, QStringLiteral("expected a colour object (%1)").arg(reason));
}

void JsonObjectReader::read(const char* key, std::optional<CodableColor>& value)
{
    const Json* json = find(key);
    if (!json)
        return;
    if (json->is_null()) {
        value.reset();
        return;
    }
    CodableColor color;
    read(key, color);
    if (ok())
        value = color;
}

} // namespace lustrelab
