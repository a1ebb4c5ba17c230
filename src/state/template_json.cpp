#include "template_json.h"

#include "model/json_reader.h"
#include "model/uuid_text.h"

#include <cmath>
#include <limits>

namespace lustrelab {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 referenceDateMSecs = 978307200000;

void readTemplate(JsonReader& r, Template& out)
{
    r.require({"id", "name", "settings", "createdAt", "updatedAt"});
    r.read("id", out.id);
    r.read("name", out.name);
    r.readObject("settings", [&](JsonReader& settings) { readBeautySettings(settings, out.settings); });
    const auto readDate = [&r](const char* key, QDateTime& date) {
        double seconds = 0;
        r.read(key, seconds);
        // Beyond a few hundred thousand years the millisecond count would overflow.
        r.checkWithin(key, seconds, -1e13, 1e13);
        date = dateFromReferenceSeconds(r.ok() ? seconds : 0);
    };
    readDate("createdAt", out.createdAt);
    readDate("updatedAt", out.updatedAt);
}

} // namespace

double secondsSinceReferenceDate(const QDateTime& moment)
{
    return double(moment.toMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000.0) + referenceDateMSecs, Qt::UTC);
}

Json toJson(const Template& entry)
{
    Json json = Json::object();
    json["id"] = uuidText(entry.id).toStdString();
    json["name"] = entry.name.toStdString();
    json["settings"] = toJson(entry.settings);
    json["createdAt"] = secondsSinceReferenceDate(entry.createdAt);
    json["updatedAt"] = secondsSinceReferenceDate(entry.updatedAt);
    return json;
}

Json templatesToJson(const QList<Template>& templates)
{
    Json array = Json::array();
    for (const Template& entry : templates)
        array.push_back(toJson(entry));
    return array;
}

std::optional<QList<Template>> templatesFromJson(const Json& json, QString* error)
{
    QList<Template> templates;
    QString reason;
    if (JsonReader::readArray(
            json, QStringLiteral("templates"), 0, std::numeric_limits<qsizetype>::max(),
            [&](JsonReader& r) { readTemplate(r, templates.emplace_back()); }, reason))
        return templates;
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace lustrelab
