#include "process_capture_backend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <memory>

namespace lustrelab {

namespace {

constexpr std::chrono::milliseconds pollInterval{50};

// A PNG is whole once its closing IEND chunk is in place; a file still being
// written ends anywhere before it.
bool isWholePng(const QString& path)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    static const QByteArray end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < signature.size() + end.size())
        return false;
    if (file.read(signature.size()) != signature || !file.seek(file.size() - end.size()))
        return false;
    return file.read(end.size()) == end;
}

} // namespace

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
        this, m_program, m_arguments(mode, path),
        [this, path, done](QProcess& process) {
            const bool succeeded = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
            if (succeeded && !isWholePng(path))
                awaitFile(path, done);
            else
                done(QString());
        },
        done);
}

void ProcessCaptureBackend::awaitFile(const QString& path, Done done)
{
    // Owned by the backend: destroying it drops the callback, which ends the
    // capture without an image.
    auto* timer = new QTimer(this);
    timer->setInterval(pollInterval);
    QElapsedTimer waited;
    waited.start();
    connect(timer, &QTimer::timeout, this, [timer, path, done, waited, limit = m_handOffWait] {
        if (!isWholePng(path) && !waited.hasExpired(limit.count()))
            return;
        timer->stop();
        timer->deleteLater();
        done(QString());
    });
    timer->start();
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
