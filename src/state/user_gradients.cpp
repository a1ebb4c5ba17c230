#include "user_gradients.h"

#include "model/json_reader.h"
#include "template_manager.h"

#include <QDir>
#include <limits>

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
    return readRecord<QList<UserGradient>>(
        json, QString(), error, [](JsonReader& r, QList<UserGradient>& result) {
            r.require({"gradients"});
            r.readObjects("gradients", 0, std::numeric_limits<qsizetype>::max(), [&](JsonReader& entry) {
                UserGradient& read = result.emplace_back();
                entry.require({"name", "gradient"});
                entry.read("name", read.name);
                entry.readObject("gradient",
                                 [&](JsonReader& gradient) { readCustomGradient(gradient, read.gradient); });
            });
        });
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
