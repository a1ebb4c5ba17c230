#include "xcb_key_grab.h"

#include <cstdio>
#include <xcb/xcb.h>

namespace lustrelab {

namespace {

constexpr uint32_t keysym6 = 0x0036; // X11/keysymdef.h

constexpr uint16_t requiredModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr uint16_t allModifiers = 0xff; // Shift .. Mod5; higher bits are mouse buttons

} // namespace

XcbKeyGrab::XcbKeyGrab(QObject* parent)
    : GlobalShortcut(parent),
      m_grab([this](bool press, uint16_t state, uint32_t time) { return handleKey(press, state, time); })
{
}

XcbKeyGrab::~XcbKeyGrab()
{
    unregisterShortcut();
}

bool XcbKeyGrab::registerShortcut()
{
    const XcbPassiveGrab::Result result = m_grab.grab(keysym6, requiredModifiers);
    if (result == XcbPassiveGrab::Result::taken) {
        std::fputs(
            "lustrelab: Ctrl+Shift+6 is held by another application; the global shortcut is unavailable\n",
            stderr);
        std::fflush(stderr);
    }
    return result == XcbPassiveGrab::Result::grabbed;
}

void XcbKeyGrab::unregisterShortcut()
{
    m_grab.release();
}

bool XcbKeyGrab::handleKey(bool press, uint16_t state, uint32_t time)
{
    if (!press) {
        m_held = false;
        m_lastRelease = time;
        return false;
    }
    const uint16_t modifiers = state & allModifiers & ~(XCB_MOD_MASK_LOCK | m_grab.numLockMask());
    if (modifiers != requiredModifiers)
        return false;
    // Auto-repeat sends more presses while the key is held: without XKB's
    // detectable auto-repeat, each after a release with the same time stamp;
    // with it, without a release. Repeats follow each other within a fraction
    // of a second, so a press long after the last one is new even if its
    // release went astray.
    const bool repeat = time == m_lastRelease || (m_held && time - m_lastPress < 1000);
    m_held = true;
    m_lastPress = time;
    if (!repeat)
        emit activated();
    return true; // the press was ours: no window also treats it as a shortcut
}

} // namespace lustrelab
