#include "xcb_escape_grab.h"

namespace lustrelab {

namespace {

constexpr uint32_t keysymEscape = 0xff1b; // X11/keysymdef.h

} // namespace

XcbEscapeGrab::XcbEscapeGrab(QObject* parent)
    : QObject(parent), m_grab([this](bool press, uint16_t, uint32_t) {
          if (press)
              emit pressed();
          return press;
      })
{
}

bool XcbEscapeGrab::grab()
{
    return m_grab.grab(keysymEscape, 0) == XcbPassiveGrab::Result::grabbed;
}

} // namespace lustrelab
