#pragma once

#include <cstdint>

namespace lustrelab {

// (256 - w) parts of a and w parts of b, w in 0..256, on all four channels of
// a 32-bit pixel at once. Opaque in, opaque out: the weights always sum to 256.
inline uint32_t lerpPixel(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t iw = 256 - w;
    const uint32_t rb = (((a & 0xff00ff) * iw + (b & 0xff00ff) * w) >> 8) & 0xff00ff;
    const uint32_t ag = (((a >> 8) & 0xff00ff) * iw + ((b >> 8) & 0xff00ff) * w) & 0xff00ff00;
    return rb | ag;
}

} // namespace lustrelab
