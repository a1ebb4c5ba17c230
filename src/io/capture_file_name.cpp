#include "capture_file_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lustrelab {

namespace {

// Far more captures than anyone takes in one second; the bound only keeps a
// folder full of odd entries from looping for ever.
constexpr int maximumNumber = 100000;

} // namespace

QString captureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                        const std::function<bool(const QString&)>& taken)
{
    const QString stem =
        QDir(folder).filePath(now.toString(QStringLiteral("'Screenshot 'yyyy-MM-dd HH-mm-ss")));
    const QString suffix = u'.' + rawValue(format);
    QString path = stem + suffix;
    for (int n = 2; n <= maximumNumber && taken(path); ++n)
        path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    return path;
}

bool FileNameClaim::taken(const QString& path)
{
    if (!m_failure.isEmpty() || !m_claimed.isEmpty())
        return false;
    if (const QString folder = QFileInfo(path).path(); !QDir().mkpath(folder)) {
        m_failure = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_claimed = path;
        return false;
    }
    // Anything at the path, even a dangling link, makes the name someone else's.
    if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
        return true;
    m_failure = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
    return false;
}

QString claimCaptureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                             QString* failure)
{
    FileNameClaim claim;
    const QString path =
        captureFilePath(folder, now, format, [&claim](const QString& p) { return claim.taken(p); });
    if (!claim.failure().isEmpty()) {
        *failure = claim.failure();
        return {};
    }
    if (claim.claimed() != path) {
        *failure = QStringLiteral("no free capture name is left in %1").arg(folder);
        return {};
    }
    return path;
}

} // namespace lustrelab
