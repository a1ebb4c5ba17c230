#pragma once

#include "guarded_json_file.h"
#include "template.h"

#include <QList>
#include <QObject>
#include <QString>

namespace lustrelab {

// Keeps the saved templates in memory and mirrors them to one JSON file
// (guarded against loss, see GuardedJsonFile), which is read once at
// construction and rewritten whole after every change.
class TemplateManager : public QObject
{
    Q_OBJECT

  public:
    // An empty directory means "Lustrelab" under the per-user data location.
    explicit TemplateManager(const QString& directory = {}, QObject* parent = nullptr);

    const QList<Template>& templates() const { return m_templates; }
    QString filePath() const { return m_file.path(); }

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
    QList<Template> m_templates;
    GuardedJsonFile m_file;
};

} // namespace lustrelab
