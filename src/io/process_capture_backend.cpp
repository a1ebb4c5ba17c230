#include "process_capture_backend.h"

#include <QProcess>
#include <memory>

namespace lustrelab {

ProcessCaptureBackend::ProcessCaptureBackend(QString name, QString program, Arguments arguments,
                                             QObject* parent)
    : CaptureBackend(parent), m_name(std::move(name)), m_program(std::move(program)),
      m_arguments(std::move(arguments))
{
}

ProcessCaptureBackend::~ProcessCaptureBackend()
{
    stopAll(this);
}

void ProcessCaptureBackend::stopAll(QObject* owner)
{
    for (QProcess* process : owner->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(); // drops the callbacks, which ends their captures
        process->kill();
        process->waitForFinished(1000);
    }
}

void ProcessCaptureBackend::capture(CaptureMode mode, const QString& path, Done done)
{
    run(
        this, m_program, m_arguments(mode, path), [done](QProcess&) { done(QString()); }, done);
}

void ProcessCaptureBackend::run(QObject* owner, const QString& program, const QStringList& arguments,
                                std::function<void(QProcess&)> onExit, Done onLaunchError)
{
    auto* process = new QProcess(owner);
    // The tool's own chatter goes where ours goes (the user's logs), and its
    // stdout stays readable for tools that answer there (slurp).
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, process, [process, onExit] {
        onExit(*process);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, onLaunchError](QProcess::ProcessError e) {
                         // Crashes and timeouts still end in finished(); only a failed start ends here.
                         if (e != QProcess::FailedToStart)
                             return;
                         onLaunchError(process->errorString());
                         process->deleteLater();
                     });
    process->start(program, arguments, QIODevice::ReadOnly);
}

} // namespace lustrelab
