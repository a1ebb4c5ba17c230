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

struct Run
{
    int status = -1; // -1: killed, crashed or out of time
    QString out;
    QStringList errLines;
};

// In the folder `work`, "@" in the arguments standing for "work/", with HOME
// and the XDG folders under `home` (no real user's templates) and no display;
// under a 2 GiB address-space limit when `limited`.
inline Run runLustrelab(QStringList arguments, const QString& work, const QString& home, bool limited = false)
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
