#pragma once

// Shared by the input/output tests: a private HOME and temporary directory,
// and a test image.

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

namespace lustrelab::iotest {

// A private HOME, XDG tree and TMPDIR; must exist before QStandardPaths or
// QDir::tempPath is first used.
class IsolatedEnvironment
{
  public:
    IsolatedEnvironment()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
        qputenv("HOME", m_dir.path().toUtf8());
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            qputenv(name, m_dir.filePath(QString::fromLatin1(name)).toUtf8());
        qputenv("TMPDIR", tempPath().toUtf8());
    }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString tempPath() const { return m_dir.filePath(QStringLiteral("tmp")); }
    QStringList tempFiles() const { return QDir(tempPath()).entryList(QDir::Files); }

  private:
    QTemporaryDir m_dir;
};

// Every pixel differs from its neighbours, so a flip, crop or format mix-up
// shows.
inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 53) & 0xff, (x * y * 7 + 90) & 0xff));
    return image;
}

// `image` as a file of `format` would hold it.
inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format);
    return bytes;
}

// The form comparisons use.
inline QImage asArgb(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

} // namespace lustrelab::iotest
