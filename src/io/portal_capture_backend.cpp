#include "portal_capture_backend.h"

#include "portal_probe.h"
#include "portal_request.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cstdio>
#include <memory>

namespace lustrelab {

namespace {

const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");

bool isPng(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8);
}

// Leaves a PNG copy of the portal's file at `path`; leaves nothing on failure.
void storeAsPng(const QString& source, const QString& path)
{
    if (isPng(source)) {
        QFile::copy(source, path);
        return;
    }
    const QImage image(source);
    if (!image.isNull())
        QImageWriter(path, "png").write(image);
}

void logPortalError(const QString& what)
{
    std::fprintf(stderr, "lustrelab: screenshot portal: %s\n", qPrintable(what));
    std::fflush(stderr);
}

} // namespace

PortalCaptureBackend::PortalCaptureBackend(QDBusConnection bus, QObject* parent)
    : CaptureBackend(parent), m_bus(std::move(bus))
{
}

PortalCaptureBackend::~PortalCaptureBackend() = default;

void PortalCaptureBackend::checkAvailable(const QDBusConnection& bus, QObject* context,
                                          std::function<void(bool)> answer)
{
    probePortalInterface(bus, screenshotInterface, context, std::move(answer));
}

QString PortalCaptureBackend::parentWindow()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    QWindow* window = nullptr;
    for (QWindow* candidate : QGuiApplication::topLevelWindows())
        if (candidate != m_anchor.get() && candidate->type() != Qt::Desktop) {
            window = candidate;
            break;
        }
    if (!window) {
        if (!m_anchor)
            m_anchor = std::make_unique<QWindow>();
        window = m_anchor.get();
    }
    return QStringLiteral("x11:") + QString::number(window->winId(), 16);
}

void PortalCaptureBackend::capture(CaptureMode mode, const QString& path, Done done)
{
    auto* request = new PortalRequest(m_bus, this);
    const QVariantMap options{
        {QStringLiteral("handle_token"), request->token()},
        {QStringLiteral("modal"), true},
        {QStringLiteral("interactive"), mode != CaptureMode::fullScreen},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::objectPath,
                                                       screenshotInterface, QStringLiteral("Screenshot"));
    call << parentWindow() << options;

    // Whichever comes first ends the capture: the answer, a failed call, the
    // portal leaving the bus, or the time limit. Everything below is owned by
    // the request and goes with it.
    auto ended = std::make_shared<bool>(false);
    auto finish = [request, done, ended](const QString& error) {
        if (std::exchange(*ended, true))
            return;
        request->deleteLater();
        done(error);
    };

    connect(request, &PortalRequest::responded, request,
            [path, finish](uint code, const QVariantMap& results) {
                if (code == PortalRequest::success) {
                    const QUrl uri(results.value(QStringLiteral("uri")).toString());
                    if (uri.isLocalFile())
                        storeAsPng(uri.toLocalFile(), path);
                    else
                        logPortalError(QStringLiteral("no local file in the answer"));
                } else if (code != PortalRequest::cancelled) {
                    // Not a plain cancel, but not a refusal either: some
                    // portals answer so when their selection is dismissed.
                    logPortalError(QStringLiteral("no screenshot: the portal ended the request (response %1: "
                                                  "its selection dismissed, or it could not take one)")
                                       .arg(code));
                }
                finish({});
            });

    // A new owner of the portal's name knows nothing of our request; the
    // first owner appearing (the call activated the portal) is no loss.
    auto* watcher = new QDBusServiceWatcher(PortalRequest::service, m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, request);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, request,
            [finish](const QString&, const QString& oldOwner, const QString&) {
                if (!oldOwner.isEmpty())
                    finish(QStringLiteral("the screenshot portal left the session bus"));
            });

    const std::chrono::milliseconds limit =
        m_timeout.value_or(mode == CaptureMode::fullScreen ? fullScreenTimeout : interactiveTimeout);
    QTimer::singleShot(limit, request, [this, request, finish, limit] {
        // Take the portal's dialog away too, should it still show one.
        m_bus.send(QDBusMessage::createMethodCall(PortalRequest::service, request->path(),
                                                  QStringLiteral("org.freedesktop.portal.Request"),
                                                  QStringLiteral("Close")));
        finish(QStringLiteral("the screenshot portal gave no answer within %1 seconds")
                   .arg(double(limit.count()) / 1000));
    });

    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), request);
    connect(pending, &QDBusPendingCallWatcher::finished, request, [request, pending, finish] {
        const QDBusPendingReply<QDBusObjectPath> reply = *pending;
        pending->deleteLater();
        if (reply.isError()) {
            finish(reply.error().message());
            return;
        }
        request->follow(reply.value().path());
    });
}

} // namespace lustrelab
