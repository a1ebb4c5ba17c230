#include "cli_process.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>

QString lustrelabBinary()
{
    return qEnvironmentVariable("LUSTRELAB_BINARY");
}

static QStringList lines(const QString& text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

QStringList CliRun::errLines() const
{
    return lines(err);
}

QStringList CliRun::outLines() const
{
    return lines(out);
}

CliProcess::CliProcess(const QString& home) : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.insert(QStringLiteral("HOME"), home);
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    // The binary must pick the headless platform by itself.
    m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_environment.remove(QStringLiteral("DISPLAY"));
    m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
}

QString CliProcess::dataHome() const
{
    return m_environment.value(QStringLiteral("XDG_DATA_HOME"));
}

CliRun CliProcess::run(const QStringList& arguments, const QString& workingDirectory) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(lustrelabBinary(), arguments);
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool writeSolidPng(const QString& path, int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, "PNG");
}

QSize pngSize(const QString& path)
{
    return QImageReader(path).size();
}
