#pragma once

#include "scroll_driver.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <cstdint>

struct xcb_connection_t;
struct xcb_screen_t;

namespace lustrelab {

// What a scrolling capture needs of an X11 desktop, through the
// application's own connection: the pixels of a part of the screen, read
// from the X server itself (shared memory, else the plain request; no tool
// started per frame), and the wheel turned
// over the window under a point, as the XTest extension fakes it.
class X11ScrollDriver : public ScrollDriver
{
  public:
    X11ScrollDriver() = default;
    ~X11ScrollDriver() override;
    X11ScrollDriver(const X11ScrollDriver&) = delete;
    X11ScrollDriver& operator=(const X11ScrollDriver&) = delete;

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
    bool ensureSegment(size_t size) const;
    void releaseSegment() const;

    xcb_connection_t* m_connection = nullptr;
    const xcb_screen_t* m_screen = nullptr; // of the application's connection, which holds it
    uint32_t m_root = 0;
    QRect m_area; // of the capture begun, in device pixels
    // The shared memory the server writes frames into, kept between frames.
    mutable void* m_memory = nullptr;
    mutable uint32_t m_segment = 0;
    mutable size_t m_segmentSize = 0;
};

} // namespace lustrelab
