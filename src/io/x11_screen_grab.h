#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <xcb/xcb.h>

namespace lustrelab {

// Reading the screen's pixels straight from the X server, without a capture
// tool in between: the root window's contents (every window as it shows,
// never the pointer) in the server's own pixels, which are the screen's
// device pixels. Coordinates are the root window's: x right, y down, from its
// top-left corner.

// How the server lays out one pixel of a ZPixmap image, as its setup and the
// root visual say.
struct XPixelLayout
{
    int bitsPerPixel = 32;
    bool msbFirst = false; // the server's image byte order
    uint32_t redMask = 0xff0000, greenMask = 0xff00, blueMask = 0xff;
    bool operator==(const XPixelLayout&) const = default;
};

// The layout of `screen`'s root visual on `connection`; nullopt when the
// server does not describe it.
std::optional<XPixelLayout> rootPixelLayout(xcb_connection_t* connection, const xcb_screen_t* screen);

// Opaque Format_RGB32 pixels from a ZPixmap image in `layout`; a null image
// for a layout it cannot read (fewer than 15 or more than 32 bits a pixel).
QImage imageFromXPixels(const uchar* data, QSize size, qsizetype bytesPerLine, const XPixelLayout& layout);

enum class GrabMethod {
    automatic,   // shared memory where the server offers it, else the plain request
    plainRequest // the pixels travel in the reply (for servers on another machine)
};

struct XGrab
{
    QImage image;        // opaque Format_RGB32, null on failure
    QString error;       // why, when the image is null
    bool shared = false; // the pixels came through shared memory
};

// The part of the root window of `screen` inside `area` (clipped to it; an
// area wholly outside gives an error).
XGrab grabRootArea(xcb_connection_t* connection, const xcb_screen_t* screen, const QRect& area,
                   GrabMethod method = GrabMethod::automatic);

// The rectangle on the root window that `window` covers together with the
// frame its window manager put around it: the window's top-level ancestor
// (the frame of a reparenting manager) with its border, widened by the
// _NET_FRAME_EXTENTS a non-reparenting manager announces. nullopt for a window
// that does not exist.
std::optional<QRect> frameRectOnRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window);

} // namespace lustrelab
