#include "project_files.h"

#include "io/project_file.h"

#include <QDir>
#include <QStandardPaths>

namespace lustrelab {

ProjectFiles::ProjectFiles(QString backgroundsFolder) : m_backgrounds(std::move(backgroundsFolder))
{
    if (m_backgrounds.isEmpty())
        m_backgrounds = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                            .filePath(QStringLiteral("Lustrelab/Backgrounds"));
}

QString ProjectFiles::write(const QString& path, const Document& document, const QImage& styled) const
{
    QString error;
    if (!saveProject(path, document, styled, &error))
        return error.isEmpty() ? QStringLiteral("the project could not be written") : error;
    return {};
}

ProjectStorage::Read ProjectFiles::read(const QString& path) const
{
    Read read;
    std::optional<ProjectContents> contents = readProjectFile(path, &read.error);
    if (!contents)
        return read;
    if (!placeBackgroundImage(*contents, m_backgrounds, &read.error))
        return read;
    read.document = std::move(contents->document);
    return read;
}

bool ProjectFiles::isProject(const QString& path) const
{
    return isProjectFile(path);
}

} // namespace lustrelab
