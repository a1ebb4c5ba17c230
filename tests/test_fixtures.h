#pragma once

// Fixtures every test area shares: a private home, a captured standard
// stream, test images and the wait for a composition.

#include <QBuffer>
#include <QByteArrayView>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace lustrelab::test {

// A private HOME, XDG tree and TMPDIR, so no test touches the user's
// templates, preferences or temporary files. Must exist before the first
// QSettings, QStandardPaths or QDir::tempPath use.
class IsolatedHome
{
  public:
    IsolatedHome()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
        qputenv("HOME", path().toUtf8());
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
        // The window keeps its session there: never the user's own.
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
        qputenv("TMPDIR", tempPath().toUtf8());
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
    QString tempPath() const { return m_dir.filePath(QStringLiteral("tmp")); }
    QStringList tempFiles() const { return QDir(tempPath()).entryList(QDir::Files); }

  private:
    QTemporaryDir m_dir;
};

// A dbus-daemon of the test's own, made this process's session bus: must
// exist before anything connects to one. The address is empty (and nothing
// changes) where dbus-daemon is not installed.
class PrivateSessionBus
{
  public:
    PrivateSessionBus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            return;
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (!m_daemon.waitForReadyRead(10000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }
    ~PrivateSessionBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    QString address() const { return m_address; }

  private:
    QProcess m_daemon;
    QString m_address;
};

// Redirects a standard stream (where the template store, the capture service
// and the launcher report their failures) into a file until text() is called.
class StreamCapture
{
  public:
    explicit StreamCapture(std::FILE* stream)
        : m_stream(stream), m_fd(::fileno(stream)), m_savedFd(::dup(m_fd))
    {
        std::fflush(m_stream);
        if (m_file.open())
            ::dup2(m_file.handle(), m_fd);
    }
    ~StreamCapture() { text(); }
    // What was written so far, while the capture goes on.
    QByteArray peek()
    {
        std::fflush(m_stream);
        QFile written(m_file.fileName()); // m_file's offset is the stream's: leave it alone
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    }
    QByteArray text()
    {
        if (m_savedFd >= 0) {
            std::fflush(m_stream);
            ::dup2(m_savedFd, m_fd);
            ::close(m_savedFd);
            m_savedFd = -1;
        }
        m_file.seek(0);
        return m_file.readAll();
    }

  private:
    std::FILE* m_stream;
    int m_fd;
    int m_savedFd;
    QTemporaryFile m_file;
};

struct StdoutCapture : StreamCapture
{
    StdoutCapture() : StreamCapture(stdout) {}
};

// The whole of a file; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `bytes` as the whole of a file; false when it cannot be written.
inline bool writeFile(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size();
}

// `image` as a file of `format` would hold it.
inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format);
    return bytes;
}

// An image whose pixel (x, y) is pixel(x, y).
template <typename Pixel>
QImage imageOf(int width, int height, Pixel pixel,
               QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixel(x, y));
    return image;
}

// What `field` (a member or any callable) gives for each entry of `list`, in order.
template <typename List, typename Field> auto mapped(const List& list, Field field)
{
    QList<std::decay_t<std::invoke_result_t<Field, decltype(*std::begin(list))>>> values;
    for (const auto& entry : list)
        values << std::invoke(field, entry);
    return values;
}

// One colour everywhere, in the format the engine composes in.
inline QImage solidImage(int width, int height, QColor color = QColor(40, 160, 90), double ratio = 1)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    image.setDevicePixelRatio(ratio);
    return image;
}

// Every pixel differs from its neighbours, so a flip, crop, shift or format
// mix-up shows, as does a mean taken over the wrong pixels.
inline QImage patternImage(int width, int height, double ratio = 1)
{
    QImage image = imageOf(width, height, [](int x, int y) {
        return qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 53) & 0xff, (x * y * 7 + 90) & 0xff);
    });
    image.setDevicePixelRatio(ratio);
    return image;
}

// The form image comparisons use: straight ARGB at one pixel per point.
inline QImage asArgb(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

// Waits until the current tab of `state` (an AppState) holds its composition
// and no other is under way.
template <typename State> [[nodiscard]] bool composed(const State& state, int timeout = 5000)
{
    return QTest::qWaitFor(
        [&] {
            const auto* tab = state.currentTab();
            return tab && tab->processedImage && !state.isProcessing();
        },
        timeout);
}

// The numbers of the current tab's step markers, in placement order.
template <typename State> QList<int> markerNumbers(const State& state)
{
    return mapped(state.currentStepMarkers(), [](const auto& marker) { return marker.number; });
}

} // namespace lustrelab::test
