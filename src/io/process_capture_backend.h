#pragma once

#include "capture_backend.h"

#include <QStringList>
#include <chrono>

class QProcess;

namespace lustrelab {

// A command-line capture tool that takes the output path as an argument.
// `arguments` gives the tool's argument list for a mode and path.
//
// Single-instance tools (spectacle, for one) may hand the job to a copy that
// already runs and exit at once, reporting success before the file exists.
// When a tool succeeds without leaving a whole PNG, the event loop polls for
// it for a short while before the capture ends; a failed or cancelled run
// ends at once.
class ProcessCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    using Arguments = std::function<QStringList(CaptureMode mode, const QString& path)>;

    ProcessCaptureBackend(QString name, QString program, Arguments arguments, QObject* parent = nullptr);
    ~ProcessCaptureBackend() override;

    QString name() const override { return m_name; }
    QString program() const { return m_program; }
    QStringList arguments(CaptureMode mode, const QString& path) const { return m_arguments(mode, path); }
    void capture(CaptureMode mode, const QString& path, Done done) override;

    // How long a successful tool's file may take to appear and be complete.
    static constexpr std::chrono::milliseconds defaultHandOffWait{5000};
    void setHandOffWait(std::chrono::milliseconds wait) { m_handOffWait = wait; }

    // Starts `program` with `arguments` and calls `onExit` when it ends (its
    // exit status is the tool's business), or `done` with the error text when
    // it cannot start. The process is owned by `owner` and deleted afterwards.
    static void run(QObject* owner, const QString& program, const QStringList& arguments,
                    std::function<void(QProcess&)> onExit, Done onLaunchError);

    // Kills the tools `owner` still runs; their captures end without an image.
    static void stopAll(QObject* owner);

  private:
    void awaitFile(const QString& path, Done done);

    std::chrono::milliseconds m_handOffWait = defaultHandOffWait;
    QString m_name;
    QString m_program;
    Arguments m_arguments;
};

} // namespace lustrelab
