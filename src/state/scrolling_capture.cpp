#include "scrolling_capture.h"

#include "io/scrolling_overlay.h"
#include "io/xcb_escape_grab.h"
#include "render/image_stitcher.h"

#include <QGuiApplication>
#include <QScreen>

namespace lustrelab {

namespace {

// Two steps in a row that move nothing: the end of the page (one may be a
// window still busy repainting).
constexpr int stillSteps = 2;

} // namespace

ScrollingCapture::ScrollingCapture(QObject* parent) : QObject(parent)
{
    m_step.setSingleShot(true);
    connect(&m_step, &QTimer::timeout, this, &ScrollingCapture::takeFrame);
}

ScrollingCapture::~ScrollingCapture() = default;

QString ScrollingCapture::unavailableReason()
{
    if (!QGuiApplication::platformName().startsWith(u"xcb"))
        return tr("Scrolling capture needs an X11 session here; this desktop offers no way to scroll another "
                  "window.");
    X11ScrollDriver driver;
    if (!driver.open())
        return tr("Scrolling capture needs the X server's XTest extension, which this server does not offer.");
    return {};
}

void ScrollingCapture::start(const QRect& region)
{
    if (m_running)
        return;
    m_frames.clear();
    m_lastLines.clear();
    m_rows = 0;
    m_still = 0;
    if (!m_driver.open()) {
        QTimer::singleShot(0, this, [this] { emit finished({}, unavailableReason()); });
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(region.center());
    m_ratio = screen ? screen->devicePixelRatio() : 1.0;
    m_pixels = QRect((QPointF(region.topLeft()) * m_ratio).toPoint(), (QSizeF(region.size()) * m_ratio).toSize());
    m_running = true;

    m_overlay = std::make_unique<ScrollingOverlay>();
    m_overlay->setText(tr("Scrolling capture - Esc to finish"));
    m_overlay->placeBeside(region);
    m_overlay->show();
    m_escape = std::make_unique<XcbEscapeGrab>();
    connect(m_escape.get(), &XcbEscapeGrab::pressed, this, &ScrollingCapture::stop);
    m_escape->grab();
    m_driver.movePointer(m_pixels.center());
    m_step.start(m_limits.settle);
}

void ScrollingCapture::stop()
{
    if (m_running)
        end({});
}

void ScrollingCapture::takeFrame()
{
    if (!m_running)
        return;
    QImage frame = m_driver.grab(m_pixels);
    if (frame.isNull()) {
        end(tr("The region could not be read from the screen."));
        return;
    }
    StitchLines lines = stitchLines(frame);
    if (!m_frames.isEmpty()) {
        const std::optional<int> shift = findShift(m_lastLines, lines);
        if (!shift) {
            end(tr("The content jumped further than one frame; the capture ends here."));
            return;
        }
        if (*shift == 0) {
            if (++m_still >= stillSteps) {
                end(m_frames.size() == 1 ? tr("The window did not scroll; one frame is kept.") : QString());
                return;
            }
        } else {
            m_still = 0;
            m_rows += *shift;
            frame.setDevicePixelRatio(m_ratio);
            m_frames << frame;
            m_lastLines = std::move(lines);
        }
    } else {
        m_rows = frame.height();
        frame.setDevicePixelRatio(m_ratio);
        m_frames << frame;
        m_lastLines = std::move(lines);
    }
    emit frameAdded(int(m_frames.size()));
    if (m_overlay)
        m_overlay->setText(m_frames.size() == 1 ? tr("1 frame - Esc to finish")
                                                : tr("%1 frames - Esc to finish").arg(m_frames.size()));
    if (int(m_frames.size()) >= m_limits.frames || m_rows >= m_limits.rows) {
        end(tr("The limit of %1 frames or %2 pixels is reached.").arg(m_limits.frames).arg(m_limits.rows));
        return;
    }
    m_driver.scrollDown(m_limits.wheelClicks);
    m_step.start(m_limits.settle);
}

void ScrollingCapture::end(const QString& note)
{
    m_running = false;
    m_step.stop();
    if (m_escape)
        m_escape->release();
    if (m_overlay)
        m_overlay->hide();
    const QList<QImage> frames = std::exchange(m_frames, {});
    const StitchResult stitched = stitchImages(frames);
    QString said = note;
    if (!stitched.ok() && !frames.isEmpty())
        said = describeStitchFailure(*stitched.failure, {}, StitchDirection::vertical);
    emit finished(stitched.ok() ? stitched.image : (frames.isEmpty() ? QImage() : frames.front()), said);
}

} // namespace lustrelab
