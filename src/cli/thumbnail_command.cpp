#include "thumbnail_command.h"

#include "console.h"
#include "io/png_encoder.h"
#include "io/project_file.h"

#include <QImage>
#include <QSaveFile>
#include <QUrl>

namespace lustrelab {

namespace {

// The largest thumbnail the freedesktop sizes ask for is 1024; a little room.
constexpr int largestSide = 4096;

QString usageLine()
{
    return QStringLiteral("usage: lustrelab thumbnail INPUT.lustrelab OUTPUT.png SIZE");
}

// Thumbnailers may be handed a file: URI instead of a path.
QString localPath(const QString& argument)
{
    const QUrl url(argument);
    return url.isLocalFile() ? url.toLocalFile() : argument;
}

} // namespace

int runThumbnailCommand(const QStringList& arguments)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        printLine(stdout, usageLine() +
                              QStringLiteral("\n\nWrites the preview a project carries as a PNG whose longer "
                                             "side is SIZE pixels (1 to %1).")
                                  .arg(largestSide));
        return 0;
    }
    bool sizeOk = false;
    const int size = arguments.size() == 3 ? arguments[2].toInt(&sizeOk) : 0;
    if (!sizeOk || size < 1 || size > largestSide) {
        printLine(stderr,
                  arguments.size() == 3
                      ? QStringLiteral("lustrelab thumbnail: SIZE must be a whole number from 1 to %1")
                            .arg(largestSide)
                      : QStringLiteral("lustrelab thumbnail: expected INPUT, OUTPUT and SIZE"));
        printLine(stderr, usageLine());
        return 2;
    }
    const QString input = localPath(arguments[0]);
    const QString output = localPath(arguments[1]);
    QString error;
    const QImage preview = readProjectPreviewFile(input, &error);
    if (preview.isNull()) {
        reportFailure(input, error);
        return 1;
    }
    const QImage thumbnail = preview.scaled(QSize(size, size), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QByteArray png = PngEncoder::encode(thumbnail, &error);
    QSaveFile file(output);
    if (png.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(png) != png.size() || !file.commit()) {
        reportFailure(output, png.isEmpty() ? error : file.errorString());
        return 1;
    }
    return 0;
}

} // namespace lustrelab
