#include "io_fixtures.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace lustrelab::iotest {

IsolatedEnvironment::IsolatedEnvironment()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("TMPDIR", tempPath().toUtf8());
}

QStringList IsolatedEnvironment::tempFiles() const
{
    return QDir(tempPath()).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

StreamCapture::StreamCapture(int fd) : m_fd(fd)
{
    std::fflush(fd == 1 ? stdout : stderr);
    const QByteArray file = m_dir.filePath(QStringLiteral("stream")).toLocal8Bit();
    const int target = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    m_saved = ::dup(fd);
    ::dup2(target, fd);
    ::close(target);
}

StreamCapture::~StreamCapture()
{
    stop();
}

QByteArray StreamCapture::text()
{
    stop();
    return m_text;
}

void StreamCapture::stop()
{
    if (m_saved < 0)
        return;
    std::fflush(m_fd == 1 ? stdout : stderr);
    ::dup2(m_saved, m_fd);
    ::close(m_saved);
    m_saved = -1;
    QFile file(m_dir.filePath(QStringLiteral("stream")));
    if (file.open(QIODevice::ReadOnly))
        m_text = file.readAll();
}

namespace {

void writeExecutable(const QString& path, const QByteArray& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

FakeTools::FakeTools() : m_savedPath(qgetenv("PATH"))
{
    patternImage(24, 16).save(m_dir.filePath(QStringLiteral("sample.png")), "png");
    qputenv("PATH", (m_dir.path() + QLatin1Char(':')).toUtf8() + m_savedPath);
}

FakeTools::~FakeTools()
{
    qputenv("PATH", m_savedPath);
}

void FakeTools::useAlone()
{
    qputenv("PATH", m_dir.path().toUtf8());
}

void FakeTools::addRecordingTool(const QString& name, Behaviour behaviour)
{
    QByteArray script = "#!/bin/sh\n"
                        "log='" +
                        logPath().toUtf8() +
                        "'\n"
                        "out=''\n"
                        // One write per invocation: concurrent captures must not interleave.
                        "rec=''\n"
                        "for a in \"$@\"; do rec=\"$rec$a\n\"; out=\"$a\"; done\n"
                        "printf '%s--\\n' \"$rec\" >> \"$log\"\n"
                        "case \"$out\" in --file=*) out=\"${out#--file=}\";; esac\n";
    switch (behaviour) {
    case Behaviour::writePng:
        script += "/bin/cp '" + m_dir.filePath(QStringLiteral("sample.png")).toUtf8() + "' \"$out\"\n";
        break;
    case Behaviour::writeGarbage:
        script += "printf 'this is not an image' > \"$out\"\n";
        break;
    case Behaviour::hang:
        script += "exec /bin/sleep 60\n";
        break;
    case Behaviour::cancel:
        script += "exit 1\n";
        break;
    }
    writeExecutable(m_dir.filePath(name), script);
}

void FakeTools::addBrokenTool(const QString& name)
{
    writeExecutable(m_dir.filePath(name), "#!/nonexistent/interpreter\n");
}

void FakeTools::addStub(const QString& name)
{
    writeExecutable(m_dir.filePath(name), "#!/bin/sh\nexit 0\n");
}

QList<QStringList> FakeTools::invocations() const
{
    QList<QStringList> result;
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QStringList current;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line == "--") {
            result.append(current);
            current.clear();
        } else if (!line.isEmpty()) {
            current.append(QString::fromUtf8(line));
        }
    }
    return result;
}

void FakeCaptureBackend::capture(CaptureMode mode, const QString& path, Done done)
{
    calls.append({mode, path});
    QTimer::singleShot(0, this, [this, path, done] {
        if (!launchError.isEmpty()) {
            done(launchError);
            return;
        }
        if (!m_result.isNull())
            m_result.save(path, "png");
        done({});
    });
}

QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
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
