#pragma once

#include <QImage>
#include <QSize>
#include <array>

namespace lustrelab {

// The composition of a drag that resizes the canvas (Padding), brought on the
// worker to the pixels it is shown at. Such a drag composes from a copy a
// little larger than shown, which serves many steps; scaling each result
// while painting took the window's thread longer than a frame leaves it on
// a HiDPI screen, and without filtering. Here it is filtered bilinearly,
// split across cores, into buffers the size of the room that are written
// again once the window has let go of what it showed from them.
class ShownCopy
{
  public:
    // `composed` fitted into `room` (device pixels) with its proportions, the
    // size in points kept; `composed` itself when it is already within a
    // pixel of that, or smaller.
    QImage fitted(const QImage& composed, QSize room);
    // Lets go of the buffers (a view still shown keeps its own alive).
    void release() { m_buffers = {}; }

  private:
    std::array<QImage, 3> m_buffers; // the shown one, the next, a spare
};

} // namespace lustrelab
