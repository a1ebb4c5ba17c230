#pragma once

#include "io/scroll_driver.h"
#include "render/stitch_lines.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <chrono>
#include <memory>

namespace lustrelab {

class ScrollingOverlay;
class XcbEscapeGrab;

// Captures a region of the screen while scrolling what is under it: a
// frame, a step of the wheel, a wait for the window to repaint, another
// frame, each one compared with the one before as it comes, until the
// content stops moving, a limit is reached or Escape is pressed. The frames
// are then stitched into one image (see stitchImages).
//
// On X11 the frames come from the X server and the wheel from XTest; on
// wlroots desktops the frames come from grim and the wheel from the
// compositor's virtual pointer. A desktop that offers no virtual pointer
// leaves the scrolling to the user: a frame is taken every step while the
// user scrolls, frames that moved nothing are dropped, and only Escape, a
// click on the overlay or a limit ends it (a pause is not the end of the
// page when a person scrolls).
class ScrollingCapture : public QObject
{
    Q_OBJECT

  public:
    struct Limits
    {
        int frames = 60;
        int rows = 30000;        // of the stitched image, in pixels
        int wheelClicks = 3;     // per step
        std::chrono::milliseconds settle{150}; // for the window to repaint after a step
    };

    explicit ScrollingCapture(QObject* parent = nullptr);
    ~ScrollingCapture() override;

    void setLimits(const Limits& limits) { m_limits = limits; }
    // Whether this desktop can do it (X11 with XTest, or a wlroots desktop
    // with grim); why not, otherwise.
    static QString unavailableReason();
    // What start() uses instead of this desktop's own driver (tests).
    void setDriver(std::unique_ptr<ScrollDriver> driver);

    // `region` in logical pixels of the screen; starts on the event loop.
    // Ends in `finished` with the stitched image (null when nothing could
    // be taken) and a note for the user when it ended early.
    void start(const QRect& region);
    // What Escape does: stops after the frames taken so far.
    void stop();
    bool isRunning() const { return m_running; }
    int frameCount() const { return int(m_frames.size()); }
    // False while the user does the scrolling.
    bool scrollsItself() const { return m_driver && m_driver->scrolls(); }
    ScrollingOverlay* overlay() const { return m_overlay.get(); }

  signals:
    void frameAdded(int frames);
    void finished(const QImage& image, const QString& note);

  private:
    void takeFrame();
    void addFrame(QImage frame);
    void showCount(const QString& remark = {});
    void end(const QString& note);

    Limits m_limits;
    std::unique_ptr<ScrollDriver> m_driver;
    std::unique_ptr<ScrollDriver> m_givenDriver; // set for the next start
    double m_ratio = 1;
    QList<QImage> m_frames;
    StitchLines m_lastLines;
    int m_rows = 0;
    int m_still = 0; // steps in a row that moved nothing
    bool m_running = false;
    QTimer m_step;
    std::unique_ptr<ScrollingOverlay> m_overlay;
    std::unique_ptr<XcbEscapeGrab> m_escape;
};

} // namespace lustrelab
