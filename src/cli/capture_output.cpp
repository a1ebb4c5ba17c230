#include "capture_output.h"

#include "io/capture_file_name.h"
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
    planned.path = captureFilePath(folder, now, planned.format, exists);
    return planned;
}

} // namespace lustrelab
