#include "project_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace lustrelab {

bool placeBackgroundImage(ProjectContents& contents, const QString& folder, QString* error)
{
    if (contents.backgroundImage.isEmpty())
        return true;
    // Named by content: the same picture from two projects is one file, and
    // nothing the archive says can choose where it goes.
    QString name = QString::fromLatin1(
        QCryptographicHash::hash(contents.backgroundImage, QCryptographicHash::Sha256).toHex().left(32));
    const QString suffix = QFileInfo(contents.backgroundImageName).suffix().toLower();
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9]{1,8}$"));
    if (plain.match(suffix).hasMatch())
        name += u'.' + suffix;
    const QString path = QDir(folder).filePath(name);

    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == contents.backgroundImage.size() &&
        existing.readAll() == contents.backgroundImage) {
        contents.document.settings.backgroundImagePath = path;
        return true;
    }
    existing.close();
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(contents.backgroundImage) != contents.backgroundImage.size() || !file.commit()) {
        if (error)
            *error =
                QStringLiteral("cannot write the background image to %1: %2").arg(folder, file.errorString());
        return false;
    }
    contents.document.settings.backgroundImagePath = path;
    return true;
}

} // namespace lustrelab
