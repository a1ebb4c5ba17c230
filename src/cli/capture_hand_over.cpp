#include "capture_hand_over.h"

#include "io/capture_file_name.h"
#include "io/instance_channel.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace lustrelab {

namespace {

constexpr int keptDays = 7;

void removeOldCaptures(const QDir& folder, const QDateTime& now)
{
    const QDateTime cutOff = now.addDays(-keptDays);
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.png")}, QDir::Files))
        if (file.lastModified() < cutOff)
            QFile::remove(file.absoluteFilePath());
}

} // namespace

QString openCaptureInWindow(const QImage& capture, const QString& folder, const QDateTime& now,
                            const QString& programPath, const LaunchActivation& activation)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create %1").arg(folder);
    removeOldCaptures(QDir(folder), now);
    QString failure;
    const QString path = claimCaptureFilePath(folder, now, ExportFormat::png, &failure);
    if (path.isEmpty())
        return failure;
    // Whole or not at all: the window would fail on a PNG cut short by a crash.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !capture.save(&file, "PNG") || !file.commit()) {
        QFile::remove(path);
        return QStringLiteral("cannot write %1").arg(path);
    }

    if (InstanceChannel::handOver({path}, activation).isEmpty())
        return {};
    // No window runs (or none answers): one is started for the capture, and
    // takes the focus with the permission this command was given.
    QProcess window;
    window.setProgram(programPath);
    window.setArguments({path});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!activation.activationToken.isEmpty())
        environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), activation.activationToken);
    if (!activation.startupId.isEmpty())
        environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), activation.startupId);
    window.setProcessEnvironment(environment);
    if (!window.startDetached())
        return QStringLiteral("cannot start the window (%1)").arg(programPath);
    return {};
}

} // namespace lustrelab
