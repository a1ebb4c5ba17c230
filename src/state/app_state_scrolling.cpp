// AppState's scrolling capture: the region picked, the windows out of the
// way, the frames taken and stitched.
#include "app_state.h"
#include "io/region_picker.h"

#include <cstdio>

namespace lustrelab {

void AppState::startScrollingCapture()
{
    if (m_scrollingCapture.isRunning() || m_captureCountdown.isRunning())
        return;
    if (const QString reason = ScrollingCapture::unavailableReason(); !reason.isEmpty()) {
        std::printf("Scrolling capture failed: %s\n", qPrintable(reason));
        std::fflush(stdout);
        return;
    }
    ApplicationPresence* presence = m_screenCaptureService.presence();
    if (presence)
        presence->hideApplication();
    auto comeBack = [this] {
        if (ApplicationPresence* shown = m_screenCaptureService.presence())
            shown->showApplication();
    };
    // Let the desktop take the windows off before the picker grabs the screen.
    QTimer::singleShot(ScreenCaptureService::settleDelay, this, [this, comeBack] {
        auto* picker = new RegionPicker;
        connect(picker, &RegionPicker::cancelled, this, [picker, comeBack] {
            picker->deleteLater();
            comeBack();
        });
        connect(picker, &RegionPicker::picked, this, [this, picker](const QRect& region) {
            picker->deleteLater();
            m_scrollingCapture.start(region);
        });
        picker->present();
    });
    auto* once = new QObject(this);
    connect(&m_scrollingCapture, &ScrollingCapture::finished, once,
            [this, once, comeBack](const QImage& image, const QString& note) {
                once->deleteLater();
                disconnect(&m_scrollingCapture, nullptr, once, nullptr);
                comeBack();
                if (!note.isEmpty()) {
                    std::printf("Scrolling capture: %s\n", qPrintable(note));
                    std::fflush(stdout);
                }
                if (!image.isNull() && !m_quickCapture.take(image, settings()))
                    loadImage(image, true);
            });
}

} // namespace lustrelab
