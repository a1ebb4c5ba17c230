#pragma once

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs the built `lustrelab` binary (path from LUSTRELAB_BINARY, set by CTest)
// as a user would, in an environment whose HOME and XDG folders point into a
// temporary directory, so no test sees or touches a real user's templates.
struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;

    QStringList errLines() const;
    QStringList outLines() const;
};

class CliProcess
{
  public:
    explicit CliProcess(const QString& home);

    CliRun run(const QStringList& arguments, const QString& workingDirectory = {}) const;
    QString dataHome() const; // XDG_DATA_HOME of the child

  private:
    QProcessEnvironment m_environment;
};

QString lustrelabBinary();

// A PNG of the given size filled with one opaque colour, written to `path`.
bool writeSolidPng(const QString& path, int width, int height, QColor color = QColor(40, 120, 200));
QSize pngSize(const QString& path);
