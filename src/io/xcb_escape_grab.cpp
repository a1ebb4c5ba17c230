#include "xcb_escape_grab.h"

#include <QCoreApplication>
#include <xcb/xcb.h>

namespace lustrelab {

namespace {

constexpr uint32_t keysymEscape = 0xff1b; // X11/keysymdef.h

} // namespace

XcbEscapeGrab::XcbEscapeGrab(QObject* parent) : QObject(parent) {}

XcbEscapeGrab::~XcbEscapeGrab()
{
    release();
}

bool XcbEscapeGrab::grab()
{
    if (m_grab.isGrabbed())
        return true;
    if (m_grab.grab(keysymEscape, 0) != XcbPassiveGrab::Result::grabbed)
        return false;
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void XcbEscapeGrab::release()
{
    if (!m_grab.isGrabbed())
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_grab.release();
}

bool XcbEscapeGrab::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_grab.isGrabbed() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    if (!m_grab.isKey(reinterpret_cast<const xcb_key_press_event_t*>(event)->detail))
        return false;
    emit pressed();
    return true;
}

} // namespace lustrelab
