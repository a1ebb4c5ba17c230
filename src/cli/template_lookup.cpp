#include "template_lookup.h"

#include "console.h"
#include "io/json_file.h"
#include "state/template_json.h"
#include "state/template_manager.h"

#include <QDir>
#include <QFileInfo>

namespace lustrelab {

std::optional<BeautySettings> findTemplateSettings(const QString& name)
{
    // Read the file directly rather than through a TemplateManager: a lookup
    // must not create folders, and a broken file deserves the parser's precise
    // reason on standard error instead of a notice on standard output.
    const QString path = QDir(TemplateManager::defaultDirectory()).filePath(QStringLiteral("templates.json"));
    if (!QFileInfo::exists(path)) {
        reportFailure(QStringLiteral("--template %1").arg(name),
                      QStringLiteral("no templates saved yet (%1 does not exist)").arg(path));
        return std::nullopt;
    }
    QString error;
    std::optional<QList<Template>> templates;
    if (const std::optional<Json> json = readJsonFile(path, &error))
        templates = templatesFromJson(*json, &error);
    if (!templates) {
        reportFailure(path, error);
        return std::nullopt;
    }
    for (const Template& entry : *templates)
        if (entry.name == name)
            return entry.settings;
    reportFailure(QStringLiteral("--template %1").arg(name),
                  QStringLiteral("no template of that name in %1").arg(path));
    return std::nullopt;
}

} // namespace lustrelab
