#include "template_manager.h"

#include "template_json.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

namespace lustrelab {

namespace {

void printLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void reportSaveFailure(const QString& reason)
{
    printLine(QStringLiteral("Failed to save templates: ") + reason);
}

} // namespace

QString TemplateManager::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Lustrelab");
}

TemplateManager::TemplateManager(const QString& directory, QObject* parent) : QObject(parent)
{
    const QString folder = directory.isEmpty() ? defaultDirectory() : directory;
    // A failure surfaces later, when the first save cannot write the file.
    QDir().mkpath(folder);
    m_filePath = QDir(folder).filePath(QStringLiteral("templates.json"));
    loadTemplates();
}

void TemplateManager::loadTemplates()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;

    QString error;
    std::optional<QList<Template>> loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        try {
            loaded = templatesFromJson(Json::parse(bytes.constBegin(), bytes.constEnd()), &error);
        } catch (const Json::exception& e) {
            error = QString::fromUtf8(e.what());
        }
    }

    if (loaded) {
        m_templates = *loaded;
        m_unreadableCopyPath.clear();
        emit templatesChanged();
        return;
    }
    // The user's templates may still be in there (a newer format, a hand
    // edit): keep the file, to be moved aside rather than overwritten.
    m_unreadableCopyPath = m_filePath + QStringLiteral(".unreadable-") +
                           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    printLine(QStringLiteral(
                  "Failed to load templates: %1 (the file will be kept as %2 when templates are next saved)")
                  .arg(error, m_unreadableCopyPath));
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
    std::string text;
    try {
        text = templatesToJson(m_templates).dump();
    } catch (const Json::exception& e) {
        reportSaveFailure(QString::fromUtf8(e.what()));
        return false;
    }
    if (!setAsideUnreadableFile())
        return false;

    // QSaveFile writes beside the target and renames on commit, so the
    // previous file survives a crash or a full disk.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        reportSaveFailure(file.errorString());
        return false;
    }
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        reportSaveFailure(file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool TemplateManager::setAsideUnreadableFile()
{
    if (m_unreadableCopyPath.isEmpty() || !QFile::exists(m_filePath))
        return true;
    QString target = m_unreadableCopyPath;
    for (int n = 1; QFile::exists(target); ++n)
        target = m_unreadableCopyPath + QLatin1Char('-') + QString::number(n);
    QFile file(m_filePath);
    if (!file.rename(target)) {
        reportSaveFailure(QStringLiteral("could not move the unreadable templates file aside: ") +
                          file.errorString());
        return false;
    }
    m_unreadableCopyPath.clear();
    return true;
}

} // namespace lustrelab
