#pragma once

// Shared by the input/output tests: a private HOME and temporary directory,
// capture of standard output and error, recording fake capture tools, a fake
// capture backend, and small image helpers.

#include "io/capture_backend.h"

#include <QByteArray>
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
    QString path() const { return m_dir.path(); }
    QString tempPath() const { return m_dir.filePath(QStringLiteral("tmp")); }
    // Files left in the temporary directory.
    QStringList tempFiles() const;

  private:
    QTemporaryDir m_dir;
};

// Redirects a file descriptor (1 or 2) into a file until text() is called.
class StreamCapture
{
  public:
    explicit StreamCapture(int fd);
    ~StreamCapture();
    QByteArray text();

  private:
    void stop();

    int m_fd;
    QTemporaryDir m_dir;
    int m_saved = -1;
    QByteArray m_text;
};

// A directory of executable shell scripts standing in for capture tools, put
// first on PATH while the object lives. A recording tool appends its
// arguments, one per line followed by "--", to a log, and (unless told to
// cancel) writes a small PNG to its last argument (or to the value of
// "--file=" for gnome-screenshot's form).
class FakeTools
{
  public:
    enum class Behaviour { writePng, cancel, writeGarbage, hang };

    FakeTools();
    ~FakeTools();
    QString dir() const { return m_dir.path(); }

    void addRecordingTool(const QString& name, Behaviour behaviour = Behaviour::writePng);
    // A file that exists and is executable but cannot be started.
    void addBrokenTool(const QString& name);
    // An executable that does nothing, for tests of the automatic choice.
    void addStub(const QString& name);
    // PATH becomes only this directory (no real tools are found).
    void useAlone();

    // Every recorded invocation, in order.
    QList<QStringList> invocations() const;
    QString logPath() const { return m_dir.filePath(QStringLiteral("invocations.log")); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

// A backend that records each request and then, on the event loop, writes the
// configured image (or nothing) to the path.
class FakeCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    struct Call
    {
        CaptureMode mode;
        QString path;
    };

    explicit FakeCaptureBackend(QImage result = {}) : m_result(std::move(result)) {}
    QString name() const override { return QStringLiteral("fake"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;

    QList<Call> calls;
    QString launchError; // when set, every capture fails to launch with it

  private:
    QImage m_result;
};

// An opaque image whose every pixel differs from its neighbours, so that a
// flip, crop or format mix-up changes it.
QImage patternImage(int width, int height);

QImage asArgb(const QImage& image);

} // namespace lustrelab::iotest
