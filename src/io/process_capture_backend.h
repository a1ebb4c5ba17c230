#pragma once

#include "capture_backend.h"

#include <QStringList>

class QProcess;

namespace lustrelab {

// A command-line capture tool that takes the output path as an argument.
// `arguments` gives the tool's argument list for a mode and path.
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

    // Starts `program` with `arguments` and calls `onExit` when it ends (its
    // exit status is the tool's business), or `done` with the error text when
    // it cannot start. The process is owned by `owner` and deleted afterwards.
    static void run(QObject* owner, const QString& program, const QStringList& arguments,
                    std::function<void(QProcess&)> onExit, Done onLaunchError);

    // Kills the tools `owner` still runs; their captures end without an image.
    static void stopAll(QObject* owner);

  private:
    QString m_name;
    QString m_program;
    Arguments m_arguments;
};

} // namespace lustrelab
