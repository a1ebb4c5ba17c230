#include "template_manager.h"

#include "template_json.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>

namespace lustrelab {

QString TemplateManager::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Lustrelab");
}

namespace {

QString fileIn(const QString& directory, const QString& name)
{
    const QString folder = directory.isEmpty() ? TemplateManager::defaultDirectory() : directory;
    // A failure surfaces later, when the first save cannot write the file.
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

} // namespace

TemplateManager::TemplateManager(const QString& directory, QObject* parent)
    : QObject(parent), m_file(fileIn(directory, QStringLiteral("templates.json")), QStringLiteral("templates"))
{
    loadTemplates();
}

void TemplateManager::loadTemplates()
{
    const std::optional<Json> json = m_file.read();
    if (!json)
        return;
    QString error;
    if (std::optional<QList<Template>> loaded = templatesFromJson(*json, &error)) {
        m_templates = *loaded;
        emit templatesChanged();
        return;
    }
    m_file.markUnreadable(error);
}

void TemplateManager::saveTemplate(const QString& name, const BeautySettings& settings)
{
    Template entry;
    entry.id = QUuid::createUuid();
    entry.name = name;
    entry.settings = settings;
    entry.createdAt = QDateTime::currentDateTimeUtc();
    entry.updatedAt = QDateTime::currentDateTimeUtc();
    m_templates.append(entry);
    emit templatesChanged();
    writeTemplates();
}

void TemplateManager::deleteTemplates(const QList<qsizetype>& positions)
{
    QList<qsizetype> sorted = positions;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    bool removed = false;
    for (const qsizetype position : sorted)
        if (position >= 0 && position < m_templates.size()) {
            m_templates.removeAt(position);
            removed = true;
        }
    if (removed)
        emit templatesChanged();
    writeTemplates();
}

bool TemplateManager::writeTemplates()
{
    return m_file.write(templatesToJson(m_templates));
}

} // namespace lustrelab
