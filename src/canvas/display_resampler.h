#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>
#include <vector>

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

    // As resample(), for an image that differs from the one of the previous
    // call only inside `changed` (its pixels): only the result's pixels that
    // can depend on those are computed again, the same as a full resample
    // gives. Resamples in full when the sizes are not those of the previous
    // call. The same rule on releasing the previous result applies.
    QImage resampleChanged(const QImage& image, const QRegion& changed, QSize pixels, double ratio = 1);

  private:
    // Bilinear filtering of `source` into the rows of `area` of the result.
    void filterInto(const QImage& source, const QRect& area);

    std::vector<QImage> m_levels; // the image halved once, twice, ...: kept for partial updates
    QImage m_result;
    QSize m_sourceSize;
    QSize m_pixels;
    double m_ratio = 1;
    bool m_resultIsLevel = false; // the last level had the target size: no filtering step
};

// One halving into `into` (reused when it is unshared and of the right size):
// each pixel is the rounded mean of a 2 x 2 block of 32-bit premultiplied
// pixels; an odd last row or column is averaged with itself. With `area`
// (pixels of `into`), only those pixels are computed; `into` must then
// already have its size.
void halveInto(const QImage& image, QImage& into, const QRect& area = {});

} // namespace lustrelab
