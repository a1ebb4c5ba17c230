#pragma once

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

namespace lustrelab::test {

// A private HOME and XDG tree, so no test touches the user's templates or
// preferences. Must exist before the first QSettings or QStandardPaths use.
class IsolatedHome
{
  public:
    IsolatedHome()
    {
        qputenv("HOME", path().toUtf8());
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }

  private:
    QTemporaryDir m_dir;
};

// Redirects a standard stream (where the template store and the launcher
// report their failures) into a file until text() is called.
class StreamCapture
{
  public:
    explicit StreamCapture(std::FILE* stream) : m_stream(stream), m_fd(::fileno(stream)), m_savedFd(::dup(m_fd))
    {
        std::fflush(m_stream);
        if (m_file.open())
            ::dup2(m_file.handle(), m_fd);
    }
    ~StreamCapture() { text(); }
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

} // namespace lustrelab::test
