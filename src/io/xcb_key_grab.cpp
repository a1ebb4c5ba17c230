#include "xcb_key_grab.h"

#include <QCoreApplication>
#include <cstdio>
#include <xcb/xcb.h>

namespace lustrelab {

namespace {

constexpr uint32_t keysym6 = 0x0036; // X11/keysymdef.h

constexpr uint16_t requiredModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr uint16_t allModifiers = 0xff; // Shift .. Mod5; higher bits are mouse buttons

} // namespace

XcbKeyGrab::XcbKeyGrab(QObject* parent) : GlobalShortcut(parent) {}

XcbKeyGrab::~XcbKeyGrab()
{
    unregisterShortcut();
}

bool XcbKeyGrab::registerShortcut()
{
    if (m_grab.isGrabbed())
        return true;
    const XcbPassiveGrab::Result result = m_grab.grab(keysym6, requiredModifiers);
    if (result == XcbPassiveGrab::Result::taken) {
        std::fputs(
            "lustrelab: Ctrl+Shift+6 is held by another application; the global shortcut is unavailable\n",
            stderr);
        std::fflush(stderr);
    }
    if (result != XcbPassiveGrab::Result::grabbed)
        return false;
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void XcbKeyGrab::unregisterShortcut()
{
    if (!m_grab.isGrabbed())
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_grab.release();
}

bool XcbKeyGrab::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_grab.isGrabbed() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (!m_grab.isKey(key->detail))
        return false;
    if (type == XCB_KEY_RELEASE) {
        m_held = false;
        m_lastRelease = key->time;
        return false;
    }
    const uint16_t modifiers = key->state & allModifiers & ~(XCB_MOD_MASK_LOCK | m_grab.numLockMask());
    if (modifiers != requiredModifiers)
        return false;
    // Auto-repeat sends more presses while the key is held: without XKB's
    // detectable auto-repeat, each after a release with the same time stamp;
    // with it, without a release. Repeats follow each other within a fraction
    // of a second, so a press long after the last one is new even if its
    // release went astray.
    const bool repeat = key->time == m_lastRelease || (m_held && key->time - m_lastPress < 1000);
    m_held = true;
    m_lastPress = key->time;
    if (!repeat)
        emit activated();
    return true; // the press was ours: no window also treats it as a shortcut
}

} // namespace lustrelab
