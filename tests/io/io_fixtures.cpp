#include "io_fixtures.h"

#include <QDir>
#include <QFile>

namespace lustrelab::iotest {

IsolatedEnvironment::IsolatedEnvironment()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", m_dir.path().toUtf8());
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(name, m_dir.filePath(QString::fromLatin1(name)).toUtf8());
    qputenv("TMPDIR", tempPath().toUtf8());
}

QStringList IsolatedEnvironment::tempFiles() const
{
    return QDir(tempPath()).entryList(QDir::Files);
}

FakeTools::FakeTools() : m_savedPath(qgetenv("PATH"))
{
    patternImage(24, 16).save(m_dir.filePath(QStringLiteral("sample.png")));
    qputenv("PATH", m_dir.path().toUtf8());
}

void FakeTools::addScript(const QString& name, const QByteArray& text)
{
    QFile file(m_dir.filePath(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void FakeTools::addRecordingTool(const QString& name, bool cancels)
{
    // One write per invocation, so that overlapping captures do not interleave.
    addScript(name, "#!/bin/sh\nrec=''\nfor a in \"$@\"; do rec=\"$rec$a\n\"; out=\"$a\"; done\n"
                    "printf '%s--\\n' \"$rec\" >> '" +
                        m_dir.filePath(QStringLiteral("log")).toUtf8() + "'\n" +
                        (cancels ? QByteArray("exit 1\n")
                                 : "/bin/cp '" + m_dir.filePath(QStringLiteral("sample.png")).toUtf8() +
                                       "' \"${out#--file=}\"\n"));
}

QList<QStringList> FakeTools::invocations() const
{
    QList<QStringList> result;
    QFile file(m_dir.filePath(QStringLiteral("log")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QStringList current;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line == "--")
            result.append(std::exchange(current, {}));
        else if (!line.isEmpty())
            current.append(QString::fromUtf8(line));
    }
    return result;
}

QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 53) & 0xff, (x * y * 7 + 90) & 0xff));
    return image;
}

QImage asArgb(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

} // namespace lustrelab::iotest
