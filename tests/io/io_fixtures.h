#pragma once

// Shared by the input/output tests: a private HOME and temporary directory,
// recording fake capture tools and a test image.

#include <QImage>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

namespace lustrelab::iotest {

// A private HOME, XDG tree and TMPDIR; must exist before QStandardPaths or
// QDir::tempPath is first used.
class IsolatedEnvironment
{
  public:
    IsolatedEnvironment();
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString tempPath() const { return m_dir.filePath(QStringLiteral("tmp")); }
    QStringList tempFiles() const;

  private:
    QTemporaryDir m_dir;
};

// Shell scripts standing in for capture tools, alone on PATH while the object
// lives. A recording tool logs its arguments and, unless it cancels, copies a
// 24 x 16 patternImage to its last argument (or to the value of "--file=").
class FakeTools
{
  public:
    FakeTools();
    ~FakeTools() { qputenv("PATH", m_savedPath); }
    void addRecordingTool(const QString& name, bool cancels = false);
    void addScript(const QString& name, const QByteArray& text);
    QList<QStringList> invocations() const;

  private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

// Every pixel differs from its neighbours, so a flip, crop or format mix-up
// shows; ARGB32 at ratio 1 is the form comparisons use.
QImage patternImage(int width, int height);
QImage asArgb(const QImage& image);

} // namespace lustrelab::iotest
