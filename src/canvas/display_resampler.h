#pragma once

#include <QImage>
#include <QSize>

namespace lustrelab {

// Shrinks a composed image to the pixels it occupies on screen, quickly enough
// to run on every step of a drag: while the image is at least twice the target
// size it is halved by averaging 2 x 2 blocks (cheap, split across cores), and
// Qt's area-averaging scaler makes the last step of less than a halving on a
// quarter of the pixels. Averaging all the way keeps thin lines and text free
// of the moiré that sampling a large image directly would show.
QImage resampleForDisplay(const QImage& image, QSize pixels);

// One halving: each pixel is the rounded mean of a 2 x 2 block of 32-bit
// premultiplied pixels. An odd last row or column is averaged with itself.
QImage halved(const QImage& image);

} // namespace lustrelab
