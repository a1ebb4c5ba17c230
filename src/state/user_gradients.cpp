#include "user_gradients.h"

#include "template_manager.h"

#include <QDir>

namespace lustrelab {

namespace {

QString gradientsFile(const QString& directory)
{
    const QString folder = directory.isEmpty() ? TemplateManager::defaultDirectory() : directory;
    QDir().mkpath(folder); // a failure surfaces at the first save
    return QDir(folder).filePath(QStringLiteral("gradients.json"));
}

} // namespace

Json toJson(const QList<UserGradient>& gradients)
{
    Json list = Json::array();
    for (const UserGradient& entry : gradients)
        list.push_back(Json{{"name", entry.name.toStdString()}, {"gradient", toJson(entry.gradient)}});
    return Json{{"gradients", std::move(list)}};
}

std::optional<QList<UserGradient>> userGradientsFromJson(const Json& json, QString* error)
{
    const auto list = json.is_object() ? json.find("gradients") : json.end();
    if (list == json.end() || !list->is_array()) {
        *error = QStringLiteral("gradients: expected an array");
        return std::nullopt;
    }
    QList<UserGradient> result;
    for (std::size_t i = 0; i < list->size(); ++i) {
        const Json& entry = (*list)[i];
        const QString where = QStringLiteral("gradients[%1]").arg(i);
        const auto name = entry.is_object() ? entry.find("name") : entry.end();
        const auto gradient = entry.is_object() ? entry.find("gradient") : entry.end();
        if (name == entry.end() || !name->is_string() || gradient == entry.end()) {
            *error = where + QStringLiteral(": expected an object with a name and a gradient");
            return std::nullopt;
        }
        QString reason;
        std::optional<CustomGradient> read = customGradientFromJson(*gradient, &reason);
        if (!read) {
            // The reader names its keys from "customGradient"; here the object is "gradient".
            if (reason.startsWith(QLatin1String("customGradient")))
                reason.replace(0, 14, QStringLiteral("gradient"));
            *error = where + QLatin1Char('.') + reason;
            return std::nullopt;
        }
        result.append({QString::fromStdString(name->get<std::string>()), *read});
    }
    return result;
}

UserGradients::UserGradients(const QString& directory, QObject* parent)
    : QObject(parent), m_file(gradientsFile(directory), QStringLiteral("gradient presets"))
{
    if (const std::optional<Json> json = m_file.read()) {
        QString error;
        if (std::optional<QList<UserGradient>> loaded = userGradientsFromJson(*json, &error))
            m_gradients = *loaded;
        else
            m_file.markUnreadable(error);
    }
}

qsizetype UserGradients::add(const CustomGradient& gradient)
{
    auto taken = [this](const QString& name) {
        return std::any_of(m_gradients.cbegin(), m_gradients.cend(),
                           [&](const UserGradient& g) { return g.name == name; });
    };
    int n = 1;
    while (taken(tr("Custom %1").arg(n)))
        ++n;
    m_gradients.append({tr("Custom %1").arg(n), gradient});
    m_file.write(toJson(m_gradients));
    emit gradientsChanged();
    return m_gradients.size() - 1;
}

void UserGradients::remove(qsizetype index)
{
    if (index < 0 || index >= m_gradients.size())
        return;
    m_gradients.removeAt(index);
    m_file.write(toJson(m_gradients));
    emit gradientsChanged();
}

} // namespace lustrelab
