#pragma once

// Shared by the state tests: a private HOME and XDG tree, so no test reads or
// writes the user's templates or preferences, and a capture of the process's
// standard output, where the template store reports its failures.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace lustrelab::test {

// Must be created before the first QSettings or QStandardPaths use.
class IsolatedHome
{
  public:
    IsolatedHome();
    QString path() const { return m_dir.path(); }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }

  private:
    QTemporaryDir m_dir;
};

// Redirects file descriptor 1 into a temporary file until text() is called
// or the object is destroyed.
class StdoutCapture
{
  public:
    StdoutCapture();
    ~StdoutCapture();
    QByteArray text(); // stops capturing on first call

  private:
    void stop();

    QTemporaryDir m_dir;
    int m_savedFd = -1;
    QByteArray m_text;
};

} // namespace lustrelab::test
