#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace lustrelab {

// One key taken from the whole X11 desktop: a passive grab on every root
// window, for every combination of Caps Lock and Num Lock on top of the
// modifiers asked for (X matches modifiers exactly, so without those a lit
// Num Lock would silently let the key through). The presses and releases of
// the key then arrive as ordinary xcb events, which this filter hands to the
// owner's handler while the grab holds.
class XcbPassiveGrab : public QAbstractNativeEventFilter
{
  public:
    // A press (`pressed`) or release of the key, with the modifier state and
    // the X server's time stamp (milliseconds); true when the event is used up.
    using KeyHandler = std::function<bool(bool pressed, uint16_t state, uint32_t time)>;

    enum class Result {
        grabbed,
        unavailable, // not on xcb, or no key makes the symbol
        taken,       // another client holds the key: none of ours is left behind
    };

    explicit XcbPassiveGrab(KeyHandler handler) : m_handler(std::move(handler)) {}
    XcbPassiveGrab(const XcbPassiveGrab&) = delete;
    XcbPassiveGrab& operator=(const XcbPassiveGrab&) = delete;
    ~XcbPassiveGrab() override { release(); }

    // `keysym` with exactly `modifiers` held, the locks aside.
    Result grab(uint32_t keysym, uint16_t modifiers);
    void release();
    bool isGrabbed() const { return m_grabbed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // The modifier bit of Num Lock (usually Mod2, but the server's map is
    // what counts), to leave out when comparing a press's modifiers.
    uint16_t numLockMask() const { return m_numLockMask; }

  private:
    KeyHandler m_handler;
    xcb_connection_t* m_connection = nullptr;
    QList<uint32_t> m_roots;
    QList<uint8_t> m_keycodes;
    QList<uint16_t> m_modifiers;
    uint16_t m_numLockMask = 0;
    bool m_grabbed = false;
};

} // namespace lustrelab
