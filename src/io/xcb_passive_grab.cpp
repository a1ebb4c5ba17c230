#include "xcb_passive_grab.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace lustrelab {

namespace {

// From the X protocol (X11/keysymdef.h), fixed for good; spelled out here so
// the build needs no X11 protocol headers beyond xcb's.
constexpr xcb_keysym_t keysymNumLock = 0xff7f;

QList<uint8_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym)
{
    QList<uint8_t> codes;
    xcb_keycode_t* list = xcb_key_symbols_get_keycode(symbols, keysym);
    for (xcb_keycode_t* k = list; k && *k != XCB_NO_SYMBOL; ++k)
        codes.append(*k);
    std::free(list);
    return codes;
}

uint16_t numLockMaskOf(xcb_connection_t* connection, xcb_key_symbols_t* symbols)
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

XcbPassiveGrab::Result XcbPassiveGrab::grab(uint32_t keysym, uint16_t modifiers)
{
    if (m_grabbed)
        return Result::grabbed;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return Result::unavailable;
    m_connection = x11->connection();
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    m_keycodes = keycodesOf(symbols, keysym);
    m_numLockMask = numLockMaskOf(m_connection, symbols);
    xcb_key_symbols_free(symbols);
    if (m_keycodes.isEmpty())
        return Result::unavailable;
    m_modifiers.clear();
    for (uint16_t lock : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK)})
        for (uint16_t num : {uint16_t(0), m_numLockMask})
            if (const uint16_t mask = modifiers | lock | num; !m_modifiers.contains(mask))
                m_modifiers.append(mask);
    m_roots.clear();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem; xcb_screen_next(&it))
        m_roots.append(it.data->root);

    QList<xcb_void_cookie_t> cookies;
    for (uint32_t root : std::as_const(m_roots))
        for (uint8_t keycode : std::as_const(m_keycodes))
            for (uint16_t mask : std::as_const(m_modifiers))
                cookies.append(xcb_grab_key_checked(m_connection, 1, root, mask, keycode, XCB_GRAB_MODE_ASYNC,
                                                    XCB_GRAB_MODE_ASYNC));
    bool taken = false;
    for (const xcb_void_cookie_t& cookie : std::as_const(cookies))
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            taken = true;
            std::free(error);
        }
    m_grabbed = true;
    if (taken) {
        release(); // keep none of ours half-made
        return Result::taken;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    return Result::grabbed;
}

void XcbPassiveGrab::release()
{
    if (!m_grabbed)
        return;
    m_grabbed = false;
    // After the application object is gone so is its X connection.
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (uint32_t root : std::as_const(m_roots))
        for (uint8_t keycode : std::as_const(m_keycodes))
            for (uint16_t mask : std::as_const(m_modifiers))
                xcb_ungrab_key(m_connection, keycode, root, mask);
    xcb_flush(m_connection);
}

bool XcbPassiveGrab::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_grabbed || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (!m_keycodes.contains(key->detail))
        return false;
    return m_handler(type == XCB_KEY_PRESS, key->state, key->time);
}

} // namespace lustrelab
