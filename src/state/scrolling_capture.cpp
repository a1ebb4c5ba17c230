#include "scrolling_capture.h"

#include "io/grim_scroll_driver.h"
#include "io/scrolling_overlay.h"
#include "io/wayland_virtual_pointer.h"
#include "io/x11_scroll_driver.h"
#include "io/xcb_escape_grab.h"
#include "render/image_stitcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace lustrelab {

namespace {

// Two steps in a row that move nothing: the end of the page (one may be a
// window still busy repainting).
constexpr int stillSteps = 2;

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(u"wayland");
}

std::unique_ptr<ScrollDriver> desktopDriver()
{
    if (onWayland())
        return std::make_unique<GrimScrollDriver>();
    return std::make_unique<X11ScrollDriver>();
}

} // namespace

ScrollingCapture::ScrollingCapture(QObject* parent) : QObject(parent)
{
    m_step.setSingleShot(true);
    connect(&m_step, &QTimer::timeout, this, &ScrollingCapture::takeFrame);
}

ScrollingCapture::~ScrollingCapture() = default;

QString ScrollingCapture::unavailableReason()
{
    if (onWayland()) {
        // grim reads the screen through wlroots' screencopy protocol; a
        // desktop without it (GNOME, KDE) hands out screenshots only through
        // its portal, one confirmed picture at a time.
        if (!WaylandVirtualPointer::compositorGlobals().contains(u"zwlr_screencopy_manager_v1"))
            return tr("Scrolling capture needs a desktop that lets Lustrelab read the screen frame after frame "
                      "(wlroots: Sway, Hyprland); this one offers screenshots only through its portal, which "
                      "takes one picture at a time.");
        for (const char* tool : {"grim", "slurp"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return tr("Scrolling capture on Wayland needs %1; install the package %1.").arg(QLatin1String(tool));
        return {};
    }
    if (!QGuiApplication::platformName().startsWith(u"xcb"))
        return tr("Scrolling capture needs an X11 session or a wlroots desktop here; this desktop offers no way "
                  "to scroll another window.");
    X11ScrollDriver driver;
    if (!driver.open())
        return tr("Scrolling capture needs the X server's XTest extension, which this server does not offer.");
    return {};
}

void ScrollingCapture::setDriver(std::unique_ptr<ScrollDriver> driver)
{
    m_givenDriver = std::move(driver);
}

void ScrollingCapture::start(const QRect& region)
{
    if (m_running)
        return;
    m_frames.clear();
    m_lastLines.clear();
    m_rows = 0;
    m_still = 0;
    m_driver = m_givenDriver ? std::move(m_givenDriver) : desktopDriver();
    const QScreen* screen = QGuiApplication::screenAt(region.center());
    m_ratio = screen ? screen->devicePixelRatio() : 1.0;
    if (!m_driver->begin(region, m_ratio)) {
        const QString reason = m_driver->error().isEmpty() ? unavailableReason() : m_driver->error();
        QTimer::singleShot(0, this, [this, reason] { emit finished({}, reason); });
        return;
    }
    m_running = true;

    m_overlay = std::make_unique<ScrollingOverlay>();
    connect(m_overlay.get(), &ScrollingOverlay::finishRequested, this, &ScrollingCapture::stop);
    m_overlay->setText(scrollsItself() ? tr("Scrolling capture - Esc to finish")
                                       : tr("Scroll the page by hand - click here or Esc to finish"));
    m_overlay->placeBeside(region);
    m_overlay->show();
    m_escape = std::make_unique<XcbEscapeGrab>();
    connect(m_escape.get(), &XcbEscapeGrab::pressed, this, &ScrollingCapture::stop);
    m_escape->grab(); // X11 only; elsewhere the overlay hears Escape and clicks
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
    m_driver->grab([this](QImage frame) { addFrame(std::move(frame)); });
}

void ScrollingCapture::showCount(const QString& remark)
{
    if (!m_overlay)
        return;
    const QString count = m_frames.size() == 1 ? tr("1 frame") : tr("%1 frames").arg(m_frames.size());
    const QString finish = scrollsItself() ? tr("Esc to finish") : tr("click here or Esc to finish");
    m_overlay->setText(remark.isEmpty() ? tr("%1 - %2").arg(count, finish)
                                        : tr("%1 - %2 - %3").arg(count, remark, finish));
}

void ScrollingCapture::addFrame(QImage frame)
{
    if (!m_running)
        return;
    if (frame.isNull()) {
        end(tr("The region could not be read from the screen."));
        return;
    }
    const bool byHand = !scrollsItself();
    StitchLines lines = stitchLines(frame);
    if (!m_frames.isEmpty()) {
        const std::optional<int> shift = findShift(m_lastLines, lines);
        if (!shift && byHand) {
            // A person scrolls unevenly: the next frame may meet the last one again.
            showCount(tr("too far at once, scroll back a little"));
            m_step.start(m_limits.settle);
            return;
        }
        if (!shift) {
            end(tr("The content jumped further than one frame; the capture ends here."));
            return;
        }
        if (*shift == 0) {
            if (byHand) { // the user pauses: wait for the next move
                m_step.start(m_limits.settle);
                return;
            }
            if (++m_still >= stillSteps) {
                end(m_frames.size() == 1 ? tr("The window did not scroll; one frame is kept.") : QString());
                return;
            }
            m_driver->scrollDown(m_limits.wheelClicks);
            m_step.start(m_limits.settle);
            return;
        }
        m_still = 0;
        m_rows += *shift;
    } else {
        m_rows = frame.height();
    }
    frame.setDevicePixelRatio(m_ratio);
    m_frames << frame;
    m_lastLines = std::move(lines);
    emit frameAdded(int(m_frames.size()));
    showCount();
    if (int(m_frames.size()) >= m_limits.frames || m_rows >= m_limits.rows) {
        end(tr("The limit of %1 frames or %2 pixels is reached.").arg(m_limits.frames).arg(m_limits.rows));
        return;
    }
    if (!byHand)
        m_driver->scrollDown(m_limits.wheelClicks);
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
