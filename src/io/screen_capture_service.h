#pragma once

#include "application_presence.h"
#include "capture_backend.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lustrelab {

// Takes screenshots through a CaptureBackend. One capture: hide the
// application, let the desktop repaint, have the backend write a PNG to a
// fresh temporary path (or hand its pixels over), bring the application
// back, read and delete the file.
// The result arrives through the returned future on the service's thread; a
// null image means nothing was captured (cancelled, undecodable, or the tool
// could not be started, which prints one line on standard output). Nothing
// blocks the service's thread: the backend is chosen while the desktop
// repaints, and the file is read on a worker thread.
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
    // One monitor (see MonitorChoice), at that monitor's own pixel ratio;
    // a choice that names no monitor fails with a line saying why.
    QFuture<QImage> captureMonitor(const MonitorChoice& choice);

    // True while any capture is running. Captures may overlap; each has its
    // own file, and the flag stays up until the last one has finished.
    bool isCapturing() const { return m_running > 0; }
    // The image of the last capture that left a file (none when that file did
    // not decode); a capture that leaves no file keeps the previous value.
    const std::optional<QImage>& capturedImage() const { return m_capturedImage; }

    // Not owned. A presence that is a QObject is forgotten when destroyed;
    // any other must be unset before it goes away.
    void setPresence(ApplicationPresence* presence);
    // The presence set, or nullptr (never set, or a QObject since destroyed).
    ApplicationPresence* presence() const;

    // The backend, chosen at the first capture (see loadCaptureBackend) so that
    // creating the service probes nothing; nullptr until then. One that is set
    // is kept: a choice still under way is dropped.
    CaptureBackend* backend() const { return m_backend.get(); }
    void setBackend(std::unique_ptr<CaptureBackend> backend);

    // A tool that cannot be started prints one line on standard output (the
    // window's log); a caller with a channel of its own turns that off and
    // listens to captureFailed instead.
    void setPrintsFailures(bool prints) { m_printsFailures = prints; }

    // Decodes a capture file (on the reader thread); by default Qt's reader,
    // converted to premultiplied ARGB. The command line hands in its faster
    // PNG decoder, which gives pixels ready to compose. A null image: the
    // file did not decode.
    using FileDecoder = std::function<QImage(const QString& path)>;
    void setFileDecoder(FileDecoder decoder) { m_decoder = std::move(decoder); }

    // The system temporary directory, a new upper-case UUID, ".png".
    static QString temporaryCapturePath();
    // "Screen capture failed: ", "Window capture failed: ", ...
    static QString failurePrefix(CaptureMode mode);

  signals:
    void isCapturingChanged(bool capturing);
    void capturedImageChanged();
    // The capture tool could not be started: `reason` says why.
    void captureFailed(lustrelab::CaptureMode mode, const QString& reason);

  private:
    using Promise = std::shared_ptr<QPromise<QImage>>;
    void setRunning(int running);
    void chooseBackend();
    class Ending;
    // How one capture asks the backend, once it is there.
    using Request = std::function<void(CaptureBackend& backend, const QString& path, CaptureDone done)>;
    QFuture<QImage> start(CaptureMode mode, Request request);
    void runBackend(CaptureMode mode, const Request& request, const Promise& promise);
    void finishCapture(CaptureMode mode, const QString& path, const QString& launchError, QImage pixels,
                       std::optional<double> ratio, const Promise& promise);
    void deliver(const QImage& image, bool fileFound, const Promise& promise);

    std::unique_ptr<CaptureBackend> m_backend;
    bool m_choosingBackend = false;
    std::vector<std::function<void()>> m_waitingForBackend; // captures that are ready to run
    QThreadPool m_reader; // one thread: files are read in the order the tools finished
    ApplicationPresence* m_presence = nullptr;
    QPointer<QObject> m_presenceObject; // tracks m_presence when it is a QObject
    bool m_presenceIsObject = false;
    int m_running = 0;
    bool m_closing = false;
    bool m_printsFailures = true;
    std::optional<QImage> m_capturedImage;
    FileDecoder m_decoder;
};

} // namespace lustrelab
