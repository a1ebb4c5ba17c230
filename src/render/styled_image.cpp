#include "styled_image.h"

#include <algorithm>

namespace lustrelab {

StyledImage::StyledImage(QImage base, std::vector<Strip> strips, bool opaqueBase)
    : m_base(std::move(base)), m_strips(std::move(strips)),
      m_opaqueBase(opaqueBase || m_base.format() == QImage::Format_RGB32)
{
}

int StyledImage::rowRuns(int y, Run* runs) const
{
    // Strips of one row, left to right; the gaps between them come from the base.
    const Strip* inRow[3];
    int found = 0;
    for (const Strip& strip : m_strips) {
        if (y >= strip.rect.top() && y <= strip.rect.bottom() && found < 3)
            inRow[found++] = &strip;
    }
    for (int i = 1; i < found; ++i) // at most three: insertion sort by left edge
        for (int j = i; j > 0 && inRow[j]->rect.left() < inRow[j - 1]->rect.left(); --j)
            std::swap(inRow[j], inRow[j - 1]);
    const bool opaque = m_opaqueBase;
    const auto* baseRow = reinterpret_cast<const uint32_t*>(m_base.constScanLine(y));
    int count = 0, x = 0;
    for (int i = 0; i < found; ++i) {
        const Strip& strip = *inRow[i];
        if (strip.rect.left() > x)
            runs[count++] = {x, strip.rect.left(), baseRow, opaque};
        const auto* stripRow =
            reinterpret_cast<const uint32_t*>(strip.pixels.constScanLine(y - strip.rect.top())) -
            strip.rect.left();
        runs[count++] = {strip.rect.left(), strip.rect.right() + 1, stripRow, false};
        x = strip.rect.right() + 1;
    }
    if (x < width())
        runs[count++] = {x, width(), baseRow, opaque};
    return count;
}

} // namespace lustrelab
