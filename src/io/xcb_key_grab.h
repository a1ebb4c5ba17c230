#pragma once

#include "global_shortcut.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <cstdint>

struct xcb_connection_t;

namespace lustrelab {

// Ctrl+Shift+6 on X11: a passive key grab on every root window, for every
// combination of Caps Lock and Num Lock (X matches modifiers exactly, so
// without those a lit Num Lock would silently disable the shortcut). The
// presses arrive as ordinary xcb events, read by a native event filter.
class XcbKeyGrab : public GlobalShortcut, public QAbstractNativeEventFilter
{
    Q_OBJECT

  public:
    // Needs the xcb platform; registerShortcut() is false elsewhere.
    explicit XcbKeyGrab(QObject* parent = nullptr);
    ~XcbKeyGrab() override;

    bool registerShortcut() override;
    void unregisterShortcut() override;
    bool isRegistered() const override { return m_registered; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    QList<uint16_t> modifierCombinations() const;

    xcb_connection_t* m_connection = nullptr;
    QList<uint32_t> m_roots;
    QList<uint8_t> m_keycodes;
    uint16_t m_numLockMask = 0;
    bool m_registered = false;
    bool m_held = false;      // the key is down (auto-repeat may follow)
    uint32_t m_lastPress = 0; // X server time stamps, in milliseconds
    uint32_t m_lastRelease = 0;
};

} // namespace lustrelab
