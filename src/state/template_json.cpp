#include "template_json.h"

#include <cmath>

namespace lustrelab {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 referenceDateMSecs = 978307200000;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

std::optional<QUuid> uuidFromCanonical(const std::string& text)
{
    const QString string = QString::fromStdString(text);
    // fromString also takes braces; only the bare 36-character form is ours.
    if (string.size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(string);
    if (id.toString(QUuid::WithoutBraces).compare(string, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return id;
}

bool readTemplate(const Json& json, Template& out, QString* error)
{
    if (!json.is_object())
        return fail(error, QStringLiteral("not an object"));
    for (const char* key : {"id", "name", "settings", "createdAt", "updatedAt"})
        if (!json.contains(key))
            return fail(error, QStringLiteral("%1: missing").arg(QLatin1StringView(key)));

    const Json& id = json["id"];
    const auto uuid = id.is_string() ? uuidFromCanonical(id.get<std::string>()) : std::nullopt;
    if (!uuid)
        return fail(error, QStringLiteral("id: not a UUID string"));
    if (!json["name"].is_string())
        return fail(error, QStringLiteral("name: not a string"));
    QString settingsError;
    const auto settings = beautySettingsFromJson(json["settings"], &settingsError);
    if (!settings)
        return fail(error, settingsError); // names the key, e.g. "settings.exportFormat: missing"
    for (const char* key : {"createdAt", "updatedAt"})
        // Beyond a few hundred thousand years the millisecond count would overflow.
        if (!json[key].is_number() || !(std::abs(json[key].get<double>()) < 1e13))
            return fail(error, QStringLiteral("%1: not a date").arg(QLatin1StringView(key)));

    out.id = *uuid;
    out.name = QString::fromStdString(json["name"].get<std::string>());
    out.settings = *settings;
    out.createdAt = dateFromReferenceSeconds(json["createdAt"].get<double>());
    out.updatedAt = dateFromReferenceSeconds(json["updatedAt"].get<double>());
    return true;
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
    json["id"] = entry.id.toString(QUuid::WithoutBraces).toUpper().toStdString();
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
    if (!json.is_array()) {
        fail(error, QStringLiteral("the top level is not an array"));
        return std::nullopt;
    }
    QList<Template> templates;
    templates.reserve(qsizetype(json.size()));
    for (std::size_t i = 0; i < json.size(); ++i) {
        Template entry;
        QString entryError;
        if (!readTemplate(json[i], entry, &entryError)) {
            fail(error, QStringLiteral("template %1: %2").arg(i).arg(entryError));
            return std::nullopt;
        }
        templates.append(entry);
    }
    return templates;
}

} // namespace lustrelab
