#pragma once

#include <QList>
#include <cstdint>

struct xcb_connection_t;

namespace lustrelab {

// One key taken from the whole X11 desktop: a passive grab on every root
// window, for every combination of Caps Lock and Num Lock on top of the
// modifiers asked for (X matches modifiers exactly, so without those a lit
// Num Lock would silently let the key through). The presses then arrive as
// ordinary xcb events, which the owner reads with a native event filter.
class XcbPassiveGrab
{
  public:
    enum class Result {
        grabbed,
        unavailable, // not on xcb, or no key makes the symbol
        taken,       // another client holds the key: none of ours is left behind
    };

    XcbPassiveGrab() = default;
    XcbPassiveGrab(const XcbPassiveGrab&) = delete;
    XcbPassiveGrab& operator=(const XcbPassiveGrab&) = delete;
    ~XcbPassiveGrab() { release(); }

    // `keysym` with exactly `modifiers` held, the locks aside.
    Result grab(uint32_t keysym, uint16_t modifiers);
    void release();
    bool isGrabbed() const { return m_grabbed; }

    bool isKey(uint8_t keycode) const { return m_keycodes.contains(keycode); }
    // The modifier bit of Num Lock (usually Mod2, but the server's map is
    // what counts), to leave out when comparing a press's modifiers.
    uint16_t numLockMask() const { return m_numLockMask; }

  private:
    xcb_connection_t* m_connection = nullptr;
    QList<uint32_t> m_roots;
    QList<uint8_t> m_keycodes;
    QList<uint16_t> m_modifiers;
    uint16_t m_numLockMask = 0;
    bool m_grabbed = false;
};

} // namespace lustrelab
