#include "capture_file_name.h"

#include <QDir>

namespace lustrelab {

QString captureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                        const std::function<bool(const QString&)>& exists)
{
    const QString stem =
        QDir(folder).filePath(now.toString(QStringLiteral("'Screenshot 'yyyy-MM-dd HH-mm-ss")));
    const QString suffix = u'.' + rawValue(format);
    QString path = stem + suffix;
    for (int n = 2; exists(path); ++n)
        path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    return path;
}

} // namespace lustrelab
