#pragma once

#include "application_presence.h"
#include "capture_backend.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <chrono>
#include <memory>
#include <optional>

namespace lustrelab {

// Takes screenshots through a CaptureBackend. One capture: hide the
// application, let the desktop repaint, have the backend write a PNG to a
// fresh temporary path, bring the application back, read and delete the file.
// The result arrives through the returned future on the service's thread; a
// null image means nothing was captured (cancelled, undecodable, or the tool
// could not be started, which prints one line on standard output).
class ScreenCaptureService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isCapturing READ isCapturing NOTIFY isCapturingChanged)

  public:
    // Long enough for a compositor to take hidden windows off the screen.
    static constexpr std::chrono::milliseconds settleDelay{300};

    explicit ScreenCaptureService(QObject* parent = nullptr);
    ~ScreenCaptureService() override;

    QFuture<QImage> captureRegion() { return capture(CaptureMode::region); }
    QFuture<QImage> captureWindow() { return capture(CaptureMode::window); }
    QFuture<QImage> captureFullScreen() { return capture(CaptureMode::fullScreen); }
    QFuture<QImage> capture(CaptureMode mode);

    // True while any capture is running. Captures may overlap; each has its
    // own file, and the flag stays up until the last one has finished.
    bool isCapturing() const { return m_running > 0; }
    // The image of the last capture that left a file (none when that file did
    // not decode); a capture that leaves no file keeps the previous value.
    const std::optional<QImage>& capturedImage() const { return m_capturedImage; }

    // Not owned. A presence that is a QObject is forgotten when destroyed;
    // any other must be unset before it goes away.
    void setPresence(ApplicationPresence* presence);

    // The backend, loaded on first use (see loadCaptureBackend) so that
    // creating the service probes nothing.
    CaptureBackend& backend();
    void setBackend(std::unique_ptr<CaptureBackend> backend);

    // The system temporary directory, a new upper-case UUID, ".png".
    static QString temporaryCapturePath();
    // "Screen capture failed: ", "Window capture failed: ", ...
    static QString failurePrefix(CaptureMode mode);

  signals:
    void isCapturingChanged(bool capturing);
    void capturedImageChanged();

  private:
    ApplicationPresence* presence() const;
    void setRunning(int running);
    class Ending;
    void runBackend(CaptureMode mode, const std::shared_ptr<QPromise<QImage>>& promise);
    void finishCapture(CaptureMode mode, const QString& path, const QString& launchError,
                       QPromise<QImage>& promise);

    std::unique_ptr<CaptureBackend> m_backend;
    ApplicationPresence* m_presence = nullptr;
    QPointer<QObject> m_presenceObject; // tracks m_presence when it is a QObject
    bool m_presenceIsObject = false;
    int m_running = 0;
    bool m_closing = false;
    std::optional<QImage> m_capturedImage;
};

} // namespace lustrelab
