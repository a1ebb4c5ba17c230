#include "test_environment.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace lustrelab::test {

IsolatedHome::IsolatedHome()
{
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
}

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    const QByteArray file = m_dir.filePath(QStringLiteral("stdout")).toLocal8Bit();
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    m_savedFd = ::dup(STDOUT_FILENO);
    ::dup2(fd, STDOUT_FILENO);
    ::close(fd);
}

StdoutCapture::~StdoutCapture()
{
    stop();
}

QByteArray StdoutCapture::text()
{
    stop();
    return m_text;
}

void StdoutCapture::stop()
{
    if (m_savedFd < 0)
        return;
    std::fflush(stdout);
    ::dup2(m_savedFd, STDOUT_FILENO);
    ::close(m_savedFd);
    m_savedFd = -1;
    QFile file(m_dir.filePath(QStringLiteral("stdout")));
    if (file.open(QIODevice::ReadOnly))
        m_text = file.readAll();
}

} // namespace lustrelab::test
