#include "process_capture_backend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
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

void forwardToStandardError(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    if (!text.endsWith('\n'))
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The Debian package that installs each tool a backend may start.
QString debianPackage(const QString& tool)
{
    static const QHash<QString, QString> packages{
        {QStringLiteral("gnome-screenshot"), QStringLiteral("gnome-screenshot")},
        {QStringLiteral("spectacle"), QStringLiteral("kde-spectacle")},
        {QStringLiteral("grim"), QStringLiteral("grim")},
        {QStringLiteral("slurp"), QStringLiteral("slurp")},
        {QStringLiteral("slop"), QStringLiteral("slop")},
        {QStringLiteral("maim"), QStringLiteral("maim")},
        {QStringLiteral("scrot"), QStringLiteral("scrot")},
        {QStringLiteral("import"), QStringLiteral("imagemagick")},
    };
    return packages.value(tool);
}

// A tool that is not installed at all is named with what to install; one
// that is there but cannot run keeps the system's reason.
QString launchFailure(const QString& program, const QString& systemReason)
{
    if (program.contains(u'/') || !QStandardPaths::findExecutable(program).isEmpty())
        return QStringLiteral("%1: %2").arg(program, systemReason);
    const QString package = debianPackage(program);
    if (package.isEmpty())
        return QStringLiteral("%1 is not installed (not found on PATH)").arg(program);
    return QStringLiteral("%1 is not installed; install the package %2 (sudo apt install %2)")
        .arg(program, package);
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
    // A tool whose standard input is not a terminal may read it for input
    // (slurp reads rectangles to choose from until end of file): it gets an
    // empty one, or it waits for ever.
    process->setStandardInputFile(QProcess::nullDevice());
    // Its stdout stays readable for tools that answer there (slurp); what it
    // says on stderr is kept for when it fails: a working tool's chatter
    // ("Failed to detect a compositor") would only confuse.
    QObject::connect(process, &QProcess::finished, process, [process, onExit] {
        if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)
            forwardToStandardError(process->readAllStandardError());
        onExit(*process);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, program, onLaunchError](QProcess::ProcessError e) {
                         // Crashes and timeouts still end in finished(); only a failed start ends here.
                         if (e != QProcess::FailedToStart)
                             return;
                         onLaunchError(launchFailure(program, process->errorString()));
                         process->deleteLater();
                     });
    process->start(program, arguments, QIODevice::ReadOnly);
}

} // namespace lustrelab
