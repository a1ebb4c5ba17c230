#pragma once

// Shared by the command-line tests: PNG files built byte by byte, and the
// built lustrelab binary run the way a script runs it.

#include "test_fixtures.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <zlib.h>

namespace lustrelab::clitest {

using test::readFile;
using test::writeFile;

// Writes one chunk: length, type, data, checksum.
inline void appendChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    uchar be[4];
    qToBigEndian(quint32(data.size()), be);
    png.append(reinterpret_cast<const char*>(be), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    png.append(body);
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), be);
    png.append(reinterpret_cast<const char*>(be), 4);
}

// A PNG of 8-bit samples (colour type 2: RGB, 6: RGBA) around a zlib stream
// of filtered rows, split into `idatChunks` chunks; `complete` false leaves
// out the end chunk, as a file cut short would.
inline QByteArray pngFile(quint32 width, quint32 height, int colourType, const QByteArray& zlibData,
                          int idatChunks = 1, bool complete = true)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8, header[9] = char(colourType);
    appendChunk(png, "IHDR", header);
    const qsizetype part = zlibData.size() / idatChunks + 1;
    for (qsizetype at = 0; at < zlibData.size(); at += part)
        appendChunk(png, "IDAT", zlibData.mid(at, part));
    if (complete)
        appendChunk(png, "IEND", {});
    return png;
}

struct Run
{
    int status = -1; // -1: killed, crashed or out of time
    QString out;
    QStringList errLines;
};

// In the folder `work`, "@" in the arguments standing for "work/", with HOME
// and the XDG folders under `home` (no real user's templates) and no display
// but what `extra` sets; under a 2 GiB address-space limit when `limited`.
inline Run runLustrelab(QStringList arguments, const QString& work, const QString& home, bool limited = false,
                        const QProcessEnvironment& extra = {})
{
    arguments.replaceInStrings(QStringLiteral("@"), work + u'/');
    QString program = qEnvironmentVariable("LUSTRELAB_BINARY");
    if (limited) {
        arguments = QStringList{QStringLiteral("--as=2147483648"), program} + arguments;
        program = QStandardPaths::findExecutable(QStringLiteral("prlimit"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    for (const char* kind : {"DATA", "CONFIG", "CACHE"})
        env.insert(QStringLiteral("XDG_%1_HOME").arg(kind), home + u'/' + QString(kind).toLower());
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name); // the binary must choose the headless platform itself
    env.insert(extra);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(work);
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
}

} // namespace lustrelab::clitest
