#pragma once

#include <QImage>
#include <QSize>

namespace lustrelab {

// Shrinks a composed image to the pixels it occupies on screen, quickly enough
// to run on every step of a drag. While the image is at least twice the target
// size it is halved by averaging 2 x 2 blocks (split across cores); bilinear
// filtering makes the last step of less than a halving. This is mipmapping:
// every source pixel contributes, so text and thin lines shrink without the
// sparkle of sampling a large image directly, at a fraction of the cost of an
// exact area average. Its buffers are reused from one call to the next, so a
// drag does not map and clear fresh memory on every step.
class DisplayResampler
{
  public:
    // The image at `pixels`, marked with `ratio` device pixels per point.
    // Release the previous result before calling again: a result still held
    // elsewhere is never overwritten, so the call then allocates anew.
    QImage resample(const QImage& image, QSize pixels, double ratio = 1);

  private:
    QImage m_halves[2];
    QImage m_result;
};

// One halving into `into` (reused when it is unshared and of the right size):
// each pixel is the rounded mean of a 2 x 2 block of 32-bit premultiplied
// pixels; an odd last row or column is averaged with itself.
void halveInto(const QImage& image, QImage& into);

} // namespace lustrelab
