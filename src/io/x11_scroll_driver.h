#pragma once

#include "scroll_driver.h"

#include <QImage>
#include <QPoint>
#include <QRect>

struct xcb_connection_t;

namespace lustrelab {

// What a scrolling capture needs of an X11 desktop, through the
// application's own connection: the pixels of a part of the screen, read
// from the X server itself (no tool started per frame), and the wheel turned
// over the window under a point, as the XTest extension fakes it.
class X11ScrollDriver : public ScrollDriver
{
  public:
    // ScrollDriver: the region's device pixels, the pointer moved over it.
    bool begin(const QRect& region, double ratio) override;
    void grab(Frame done) override { done(grab(m_area)); }
    bool scrolls() const override { return true; }
    // `clicks` notches of the wheel towards the end of the page.
    void scrollDown(int clicks) override;

    // False without the xcb platform or without XTest.
    bool open();
    bool isOpen() const { return m_connection != nullptr; }

    // `area` in device pixels of the root window; a null image when the
    // server refuses (the area is off the screen).
    QImage grab(const QRect& area) const;
    // Moves the pointer (the wheel scrolls what is under it).
    void movePointer(QPoint devicePixel) const;

  private:
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    int m_depth = 0;
    QRect m_area; // of the capture begun, in device pixels
};

} // namespace lustrelab
