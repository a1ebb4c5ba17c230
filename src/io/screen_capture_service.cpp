#include "screen_capture_service.h"

#include "base/run_then_deliver.h"
#include "capture_backend_loader.h"
#include "image_loader.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPromise>
#include <QScreen>
#include <QTimer>
#include <QUuid>
#include <cstdio>
#include <utility>

namespace lustrelab {

namespace {

// Tools write physical pixels; on a HiDPI screen the image keeps the
// screen's ratio so that it is composed at its logical size.
qreal screenRatio()
{
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->devicePixelRatio() : 1.0;
}

struct CaptureFile
{
    bool found = false;
    QImage image; // null when the file did not decode
};

// Reads and deletes what the tool left; a failure to delete is of no consequence.
CaptureFile takeCaptureFile(const QString& path, qreal ratio,
                            const ScreenCaptureService::FileDecoder& decoder)
{
    CaptureFile file;
    file.found = QFile::exists(path);
    if (!file.found)
        return file;
    if (decoder) {
        file.image = decoder(path);
    } else {
        // The tools write PNG, which this loader decodes fastest; the window
        // works on premultiplied pixels (opaque ones convert in place).
        file.image = loadImage(path).image;
        file.image.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    QFile::remove(path);
    if (!file.image.isNull())
        file.image.setDevicePixelRatio(ratio);
    return file;
}

} // namespace

ScreenCaptureService::ScreenCaptureService(QObject* parent) : QObject(parent)
{
    m_reader.setMaxThreadCount(1);
}

ScreenCaptureService::~ScreenCaptureService()
{
    // Tools still running are stopped with their backend, while the members
    // their endings look at still exist. A file being read is read to the end
    // and deleted; no one is told any more.
    m_closing = true;
    m_waitingForBackend.clear();
    m_backend.reset();
    waitForPool(m_reader);
}

QString ScreenCaptureService::temporaryCapturePath()
{
    return QDir(QDir::tempPath())
        .filePath(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png"));
}

QString ScreenCaptureService::failurePrefix(CaptureMode mode)
{
    switch (mode) {
    case CaptureMode::region:
        return QStringLiteral("Screen capture failed: ");
    case CaptureMode::window:
        return QStringLiteral("Window capture failed: ");
    case CaptureMode::fullScreen:
        return QStringLiteral("Full screen capture failed: ");
    }
    return {};
}

void ScreenCaptureService::setPresence(ApplicationPresence* presence)
{
    m_presence = presence;
    m_presenceObject = dynamic_cast<QObject*>(presence);
    m_presenceIsObject = m_presenceObject != nullptr;
}

ApplicationPresence* ScreenCaptureService::presence() const
{
    // A QObject presence that has been destroyed must not be called.
    if (m_presenceIsObject && !m_presenceObject)
        return nullptr;
    return m_presence;
}

void ScreenCaptureService::setBackend(std::unique_ptr<CaptureBackend> backend)
{
    m_backend = std::move(backend);
    if (!m_backend)
        return;
    m_backend->setParent(nullptr); // owned by the unique_ptr, not by a parent
    for (const std::function<void()>& run : std::exchange(m_waitingForBackend, {}))
        run();
}

void ScreenCaptureService::chooseBackend()
{
    if (m_backend || m_choosingBackend)
        return;
    m_choosingBackend = true;
    loadCaptureBackend(this, [this](std::unique_ptr<CaptureBackend> chosen) {
        m_choosingBackend = false;
        if (!m_backend)
            setBackend(std::move(chosen));
    });
}

void ScreenCaptureService::setRunning(int running)
{
    const bool was = isCapturing();
    m_running = running;
    if (was != isCapturing())
        emit isCapturingChanged(isCapturing());
}

QFuture<QImage> ScreenCaptureService::capture(CaptureMode mode)
{
    return start(mode, [mode](CaptureBackend& backend, const QString& path, CaptureDone done) {
        backend.capture(mode, path, std::move(done));
    });
}

QFuture<QImage> ScreenCaptureService::captureMonitor(const MonitorChoice& choice)
{
    // Its failures read as a full screen's: it is the screen the user asked for.
    return start(CaptureMode::fullScreen, [choice](CaptureBackend& backend, const QString& path, CaptureDone done) {
        backend.captureMonitor(choice, path, std::move(done));
    });
}

QFuture<QImage> ScreenCaptureService::start(CaptureMode mode, Request request)
{
    auto promise = std::make_shared<QPromise<QImage>>();
    promise->start();
    setRunning(m_running + 1);
    ApplicationPresence* p = presence();
    if (p)
        p->hideApplication();
    // The wait runs on the event loop, so the hidden windows really get
    // unmapped before the tool looks at the screen; the backend is chosen
    // meanwhile. Without a presence, or when it took nothing off the screen
    // (a capture command with no window running), there is nothing to wait for.
    chooseBackend();
    QTimer::singleShot(p && p->hidSomething() ? settleDelay : std::chrono::milliseconds(0), this,
                       [this, mode, request = std::move(request), promise] { runBackend(mode, request, promise); });
    return promise->future();
}

// Ends one capture exactly once: when the backend reports, or, should the
// backend be destroyed without reporting (replaced mid-capture), when the
// last copy of its callback goes, so that isCapturing never stays up and the
// application always comes back.
class ScreenCaptureService::Ending
{
  public:
    Ending(ScreenCaptureService* service, CaptureMode mode, QString path, Promise promise)
        : m_service(service), m_mode(mode), m_path(std::move(path)), m_promise(std::move(promise))
    {
    }
    ~Ending() { end(QString()); }

    void setRatio(double ratio) { m_ratio = ratio; }
    void end(const QString& launchError, QImage pixels = QImage())
    {
        if (m_ended)
            return;
        m_ended = true;
        if (m_service)
            m_service->finishCapture(m_mode, m_path, launchError, std::move(pixels), m_ratio, m_promise);
        // Without the service the promise, dropped, cancels its future.
    }

  private:
    QPointer<ScreenCaptureService> m_service;
    CaptureMode m_mode;
    QString m_path;
    Promise m_promise;
    std::optional<double> m_ratio; // the monitor's, when the backend took one
    bool m_ended = false;
};

void ScreenCaptureService::runBackend(CaptureMode mode, const Request& request, const Promise& promise)
{
    if (!m_backend) { // a portal still being asked whether it is there
        m_waitingForBackend.push_back([this, mode, request, promise] { runBackend(mode, request, promise); });
        chooseBackend();
        return;
    }
    const QString path = temporaryCapturePath();
    auto ending = std::make_shared<Ending>(this, mode, path, promise);
    request(*m_backend, path,
            CaptureDone([ending](const QString& launchError) { ending->end(launchError); },
                        [ending](QImage pixels) { ending->end(QString(), std::move(pixels)); },
                        [ending](double ratio) { ending->setRatio(ratio); }));
}

void ScreenCaptureService::finishCapture(CaptureMode mode, const QString& path, const QString& launchError,
                                         QImage pixels, std::optional<double> monitorRatio,
                                         const Promise& promise)
{
    if (m_closing) { // no one is waiting any more; only the file needs to go
        QFile::remove(path);
        return;
    }
    if (!launchError.isEmpty() && m_printsFailures) {
        const QByteArray line = (failurePrefix(mode) + launchError + QLatin1Char('\n')).toLocal8Bit();
        std::fputs(line.constData(), stdout);
        std::fflush(stdout);
    }
    if (!launchError.isEmpty())
        emit captureFailed(mode, launchError);
    if (ApplicationPresence* p = presence())
        p->showApplication();
    // Decoding a full-screen PNG takes longer than a frame. Pixels handed
    // over directly take the same road, so captures still end in order.
    const qreal ratio = monitorRatio && *monitorRatio > 0 ? *monitorRatio : screenRatio();
    // While no one else holds them, so nothing is copied; the window gets
    // premultiplied pixels as from a file (opaque ones convert in place).
    pixels.setDevicePixelRatio(ratio);
    if (!m_decoder && !pixels.isNull())
        pixels.convertTo(QImage::Format_ARGB32_Premultiplied);
    runThenDeliver(
        m_reader, this,
        [path, pixels = std::move(pixels), ratio, decoder = m_decoder] {
            return pixels.isNull() ? takeCaptureFile(path, ratio, decoder) : CaptureFile{true, pixels};
        },
        [this, promise](const CaptureFile& file) { deliver(file.image, file.found, promise); });
}

void ScreenCaptureService::deliver(const QImage& image, bool fileFound, const Promise& promise)
{
    if (fileFound) {
        m_capturedImage = image.isNull() ? std::nullopt : std::optional<QImage>(image);
        emit capturedImageChanged();
    }
    setRunning(m_running - 1);
    promise->addResult(image);
    promise->finish();
}

} // namespace lustrelab
