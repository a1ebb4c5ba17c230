#pragma once

#include "project_storage.h"

namespace lustrelab {

// Project files as the project format writes and reads them (.lustrelab
// archives). A background picture a project carries is placed in
// `backgroundsFolder` when it is read.
class ProjectFiles : public ProjectStorage
{
  public:
    // Empty: the Lustrelab folder of the application-support directory.
    explicit ProjectFiles(QString backgroundsFolder = {});

    QString write(const QString& path, const Document& document, const QImage& styled) const override;
    Read read(const QString& path) const override;
    bool isProject(const QString& path) const override;

  private:
    QString m_backgrounds;
};

} // namespace lustrelab
