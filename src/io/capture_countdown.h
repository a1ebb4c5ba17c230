#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

namespace lustrelab {

class CountdownOverlay;
class DesktopNotifier;
class XcbEscapeGrab;

// The wait before a delayed capture: counts whole seconds down, showing
// them in a small overlay (a desktop notification where no window can be
// shown, as on the offscreen platform), and ends either in `elapsed` or,
// when Escape is pressed or cancel() called, in `cancelled`. Escape is taken
// from the whole desktop on X11; elsewhere it reaches the overlay while it
// has the focus.
class CaptureCountdown : public QObject
{
    Q_OBJECT

  public:
    // 0 to 60: a longer wait is more likely a typing slip than a wish.
    static constexpr int longestDelay = 60;

    explicit CaptureCountdown(QObject* parent = nullptr);
    ~CaptureCountdown() override;

    // One second, unless a test makes it shorter.
    void setTick(std::chrono::milliseconds tick) { m_tick = tick; }

    // Starts counting down from `seconds` (clamped to 0..60); 0 elapses on
    // the event loop at once, without an overlay. A countdown running is
    // restarted.
    void start(int seconds);
    void cancel();
    bool isRunning() const { return m_remaining > 0; }
    int remaining() const { return m_remaining; }
    // The overlay while one is shown, else nullptr.
    CountdownOverlay* overlay() const { return m_overlay.get(); }

  signals:
    void remainingChanged(int seconds);
    void elapsed();
    void cancelled();

  private:
    void tick();
    void finish();

    std::chrono::milliseconds m_tick{1000};
    int m_remaining = 0;
    QTimer m_timer;
    std::unique_ptr<CountdownOverlay> m_overlay;
    std::unique_ptr<XcbEscapeGrab> m_escape;
    std::unique_ptr<DesktopNotifier> m_notifier;
};

} // namespace lustrelab
