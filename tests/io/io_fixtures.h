#pragma once

// Shared by the input/output tests: a private HOME and temporary directory,
// capture of standard output, recording fake capture tools, a fake capture
// backend and a test image.

#include "io/capture_backend.h"

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

// Redirects standard output into a file until text() is called.
class StdoutCapture
{
  public:
    StdoutCapture();
    ~StdoutCapture() { text(); }
    QByteArray text();

  private:
    QTemporaryDir m_dir;
    int m_saved = -1;
    QByteArray m_text;
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

// Records each request, then on the event loop writes its image to the path.
class FakeCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    explicit FakeCaptureBackend(QImage result) : m_result(std::move(result)) {}
    QString name() const override { return QStringLiteral("fake"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;

    QList<CaptureMode> calls;

  private:
    QImage m_result;
};

// Every pixel differs from its neighbours, so a flip, crop or format mix-up
// shows. Comes back as ARGB32 at ratio 1, the form comparisons use.
QImage patternImage(int width, int height);
QImage asArgb(const QImage& image);

} // namespace lustrelab::iotest
