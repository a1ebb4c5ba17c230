#pragma once

#include "global_shortcut.h"
#include "xcb_passive_grab.h"

#include <cstdint>

namespace lustrelab {

// Ctrl+Shift+6 on X11, taken from the whole desktop (see XcbPassiveGrab),
// whatever Caps Lock and Num Lock say.
class XcbKeyGrab : public GlobalShortcut
{
    Q_OBJECT

  public:
    // Needs the xcb platform; registerShortcut() is false elsewhere.
    explicit XcbKeyGrab(QObject* parent = nullptr);
    ~XcbKeyGrab() override;

    bool registerShortcut() override;
    void unregisterShortcut() override;
    bool isRegistered() const override { return m_grab.isGrabbed(); }

  private:
    bool handleKey(bool press, uint16_t state, uint32_t time);

    XcbPassiveGrab m_grab;
    bool m_held = false;      // the key is down (auto-repeat may follow)
    uint32_t m_lastPress = 0; // X server time stamps, in milliseconds
    uint32_t m_lastRelease = 0;
};

} // namespace lustrelab
