#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace lustrelab {

// A screenshot after its corners were rounded and its border stroked, held
// as the untouched screenshot plus the strips along its edges that styling
// changed. Rounding and a border reach only max(radius, border) into the
// image, so the middle (nearly all of a large screenshot) is never copied:
// the compositor reads it straight from the source.
//
// All positions are device pixels of the screenshot, origin top-left.
class StyledImage
{
  public:
    struct Strip
    {
        QRect rect;
        QImage pixels; // premultiplied ARGB, rect.size()
    };
    // Pixels [x0, x1) of one row: pixels[x] for x in that range.
    struct Run
    {
        int x0 = 0;
        int x1 = 0;
        const uint32_t* pixels = nullptr;
        // RGB32, or pixels known to be opaque: the alpha byte is 255 (or, in
        // RGB32, not to be trusted and taken as 255).
        bool opaqueFormat = false;
    };

    StyledImage() = default;
    // `base` must be premultiplied ARGB or RGB32. Strips must not overlap.
    // `opaqueBase`: every pixel of `base` is known to be opaque (the caller
    // found out), so its runs are read as such.
    StyledImage(QImage base, std::vector<Strip> strips, bool opaqueBase = false);

    bool isNull() const { return m_base.isNull(); }
    int width() const { return m_base.width(); }
    int height() const { return m_base.height(); }
    double devicePixelRatio() const { return m_base.devicePixelRatio(); }

    // The runs covering row y from column 0 to width(), left to right (at most 3).
    int rowRuns(int y, Run* runs) const;

  private:
    QImage m_base;
    std::vector<Strip> m_strips;
    bool m_opaqueBase = false;
};

} // namespace lustrelab
