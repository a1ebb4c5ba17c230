#include "capture_output.h"

#include "output_plan.h"

#include <QDir>

namespace lustrelab {

CaptureOutput planCaptureOutput(const QString& output, std::optional<ExportFormat> format,
                                ExportFormat settingsFormat, const QDateTime& now,
                                const QString& picturesFolder,
                                const std::function<bool(const QString&)>& exists)
{
    const bool intoFolder = output.isEmpty() || namesFolder(output);
    if (!format && !intoFolder)
        format = formatFromName(output);
    CaptureOutput planned{{}, format.value_or(settingsFormat)};
    if (!intoFolder) {
        planned.path = output;
        return planned;
    }
    const QString folder =
        output.isEmpty() ? QDir(picturesFolder).filePath(QStringLiteral("Lustrelab")) : output;
    const QString stem =
        QDir(folder).filePath(now.toString(QStringLiteral("'Screenshot 'yyyy-MM-dd HH-mm-ss")));
    const QString suffix = u'.' + rawValue(planned.format);
    planned.path = stem + suffix;
    for (int n = 2; exists(planned.path); ++n)
        planned.path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    return planned;
}

} // namespace lustrelab
