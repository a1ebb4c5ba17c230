#pragma once

#include "template.h"

#include <QList>
#include <QObject>
#include <QString>

namespace lustrelab {

// Keeps the saved templates in memory and mirrors them to one JSON file, which
// is read once at construction and rewritten whole after every change.
//
// Two guards against losing the user's templates: a file that exists but
// cannot be read is moved aside (never overwritten) before the next save, and
// every save goes through a temporary file, so a crash or a full disk leaves
// the previous file as it was.
class TemplateManager : public QObject
{
    Q_OBJECT

  public:
    // An empty directory means "Lustrelab" under the per-user data location.
    explicit TemplateManager(const QString& directory = {}, QObject* parent = nullptr);

    const QList<Template>& templates() const { return m_templates; }
    QString filePath() const { return m_filePath; }

    void loadTemplates();
    void saveTemplate(const QString& name, const BeautySettings& settings);
    // Positions refer to the list before removal; unknown positions are ignored.
    void deleteTemplates(const QList<qsizetype>& positions);
    // Returns whether the file now holds the in-memory list.
    bool writeTemplates();

    static QString defaultDirectory();

  signals:
    void templatesChanged();

  private:
    bool setAsideUnreadableFile();

    QList<Template> m_templates;
    QString m_filePath;
    QString m_unreadableCopyPath; // set while the file on disk could not be read
};

} // namespace lustrelab
