#include "xcb_key_grab.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace lustrelab {

namespace {

// Keysyms from the X protocol (X11/keysymdef.h), fixed for good; spelled out
// here so the build needs no X11 protocol headers beyond xcb's.
constexpr xcb_keysym_t keysym6 = 0x0036;
constexpr xcb_keysym_t keysymNumLock = 0xff7f;

constexpr uint16_t requiredModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr uint16_t allModifiers = 0xff; // Shift .. Mod5; higher bits are mouse buttons

QList<uint8_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym)
{
    QList<uint8_t> codes;
    xcb_keycode_t* list = xcb_key_symbols_get_keycode(symbols, keysym);
    for (xcb_keycode_t* k = list; k && *k != XCB_NO_SYMBOL; ++k)
        codes.append(*k);
    std::free(list);
    return codes;
}

// Num Lock is usually Mod2, but the server's modifier map is what counts.
uint16_t numLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols)
{
    const QList<uint8_t> numLock = keycodesOf(symbols, keysymNumLock);
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (!reply)
        return 0;
    uint16_t mask = 0;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int i = 0; i < reply->keycodes_per_modifier; ++i)
            if (numLock.contains(map[modifier * reply->keycodes_per_modifier + i]))
                mask |= uint16_t(1u << modifier);
    std::free(reply);
    return mask;
}

} // namespace

XcbKeyGrab::XcbKeyGrab(QObject* parent) : GlobalShortcut(parent) {}

XcbKeyGrab::~XcbKeyGrab()
{
    unregisterShortcut();
}

QList<uint16_t> XcbKeyGrab::modifierCombinations() const
{
    QList<uint16_t> combinations;
    for (uint16_t lock : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK)})
        for (uint16_t num : {uint16_t(0), m_numLockMask}) {
            const uint16_t mask = requiredModifiers | lock | num;
            if (!combinations.contains(mask))
                combinations.append(mask);
        }
    return combinations;
}

bool XcbKeyGrab::registerShortcut()
{
    if (m_registered)
        return true;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    m_connection = x11->connection();

    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    m_keycodes = keycodesOf(symbols, keysym6);
    m_numLockMask = numLockMask(m_connection, symbols);
    xcb_key_symbols_free(symbols);
    if (m_keycodes.isEmpty())
        return false;

    m_roots.clear();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem; xcb_screen_next(&it))
        m_roots.append(it.data->root);

    QList<xcb_void_cookie_t> cookies;
    for (uint32_t root : std::as_const(m_roots))
        for (uint8_t keycode : std::as_const(m_keycodes))
            for (uint16_t modifiers : modifierCombinations())
                cookies.append(xcb_grab_key_checked(m_connection, 1, root, modifiers, keycode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool taken = false;
    for (const xcb_void_cookie_t& cookie : std::as_const(cookies))
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            taken = true;
            std::free(error);
        }
    m_registered = true;
    if (taken) {
        // Another client holds the combination; keep none of ours half-made.
        unregisterShortcut();
        std::fputs(
            "lustrelab: Ctrl+Shift+6 is held by another application; the global shortcut is unavailable\n",
            stderr);
        std::fflush(stderr);
        return false;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void XcbKeyGrab::unregisterShortcut()
{
    if (!m_registered)
        return;
    m_registered = false;
    // After the application object is gone so is its X connection.
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (uint32_t root : std::as_const(m_roots))
        for (uint8_t keycode : std::as_const(m_keycodes))
            for (uint16_t modifiers : modifierCombinations())
                xcb_ungrab_key(m_connection, keycode, root, modifiers);
    xcb_flush(m_connection);
}

bool XcbKeyGrab::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_registered || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (!m_keycodes.contains(key->detail))
        return false;
    if (type == XCB_KEY_RELEASE) {
        m_held = false;
        m_lastRelease = key->time;
        return false;
    }
    const uint16_t modifiers = key->state & allModifiers & ~(XCB_MOD_MASK_LOCK | m_numLockMask);
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
