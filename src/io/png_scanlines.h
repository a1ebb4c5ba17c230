#pragma once

#include <QImage>
#include <cstddef>

namespace lustrelab {

// Where an inflated PNG stream of 8-bit RGB or RGBA rows is placed inside the
// pixel buffer of the image it becomes, so that the image is made in place
// with no second buffer of its size: each finished row of 32-bit pixels lands
// at or before the first byte of the next inflated row it has yet to read.
struct InflatedPlacement
{
    size_t offset = 0; // of the inflated stream from the start of the buffer
    size_t bytes = 0;  // of the inflated stream: per row a filter byte and the samples
    size_t extra = 0;  // the buffer's size beyond the pixels, both counted in bytes
};

InflatedPlacement placeInflatedRows(int width, int height, int channels);

// Undoes the rows' filters and writes premultiplied ARGB pixels (opaque for
// RGB) into `image` (Format_ARGB32_Premultiplied, or RGB32 for RGB; its bytes per line exactly
// width x 4), reading the inflated stream from where placeInflatedRows put
// it. Gives the pixels Qt's own decoding and conversion give. False when a
// row names a filter the format does not have.
bool unfilterInPlace(QImage& image, int channels, const InflatedPlacement& placement);

} // namespace lustrelab
