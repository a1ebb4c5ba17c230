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
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }

  private:
    QTemporaryDir m_dir;
};

// Redirects file descriptor 1, where the template store reports its failures,
// into a file until text() is called.
class StdoutCapture
{
  public:
    StdoutCapture()
    {
        std::fflush(stdout);
        if (m_file.open())
            ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture() { text(); }
    QByteArray text()
    {
        if (m_savedFd >= 0) {
            std::fflush(stdout);
            ::dup2(m_savedFd, STDOUT_FILENO);
            ::close(m_savedFd);
            m_savedFd = -1;
        }
        m_file.seek(0);
        return m_file.readAll();
    }

  private:
    int m_savedFd = ::dup(STDOUT_FILENO);
    QTemporaryFile m_file;
};

} // namespace lustrelab::test
