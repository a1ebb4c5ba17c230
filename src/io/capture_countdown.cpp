#include "capture_countdown.h"

#include "countdown_overlay.h"
#include "desktop_notifier.h"
#include "xcb_escape_grab.h"

#include <QGuiApplication>
#include <algorithm>

namespace lustrelab {

namespace {

// Platforms that have no screen to show a window on.
bool canShowWindows()
{
    const QString platform = QGuiApplication::platformName();
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && platform != u"offscreen" &&
           platform != u"minimal";
}

} // namespace

CaptureCountdown::CaptureCountdown(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &CaptureCountdown::tick);
}

CaptureCountdown::~CaptureCountdown() = default;

void CaptureCountdown::start(int seconds)
{
    m_remaining = std::clamp(seconds, 0, longestDelay);
    m_timer.stop();
    if (m_remaining == 0) {
        QTimer::singleShot(0, this, [this] {
            if (m_remaining == 0)
                emit elapsed();
        });
        return;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (!m_overlay) {
            m_overlay = std::make_unique<CountdownOverlay>();
            connect(m_overlay.get(), &CountdownOverlay::escapePressed, this, &CaptureCountdown::cancel);
        }
        m_overlay->setSeconds(m_remaining);
        if (!m_escape) {
            m_escape = std::make_unique<XcbEscapeGrab>();
            connect(m_escape.get(), &XcbEscapeGrab::pressed, this, &CaptureCountdown::cancel);
        }
        m_escape->grab();
        if (canShowWindows()) {
            m_overlay->present();
        } else {
            if (!m_notifier)
                m_notifier = std::make_unique<DesktopNotifier>();
            m_notifier->notify({m_remaining == 1 ? tr("Capturing in 1 second")
                                                 : tr("Capturing in %1 seconds").arg(m_remaining),
                                tr("Press Escape to cancel."), {}, {}});
        }
    }
    emit remainingChanged(m_remaining);
    m_timer.start(m_tick);
}

void CaptureCountdown::tick()
{
    if (m_remaining <= 0)
        return;
    --m_remaining;
    if (m_remaining == 0) {
        finish();
        emit remainingChanged(0);
        emit elapsed();
        return;
    }
    if (m_overlay)
        m_overlay->setSeconds(m_remaining);
    emit remainingChanged(m_remaining);
}

void CaptureCountdown::cancel()
{
    if (m_remaining <= 0)
        return;
    m_remaining = 0;
    finish();
    emit cancelled();
}

void CaptureCountdown::finish()
{
    m_timer.stop();
    if (m_escape)
        m_escape->release();
    // Gone before the capture: the overlay must not be in the picture.
    if (m_overlay)
        m_overlay->hide();
}

} // namespace lustrelab
