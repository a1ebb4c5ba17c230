#pragma once

// The interpolating fill of a removal area: every pixel becomes the average of
// all band pixels weighted by 1 / (squared distance).
//
// The band pixels lie on straight lines along the area's edges: up to three
// rows above and three below (each as wide as the area) and up to three
// columns on either side (each as tall as the area). Along one such line at
// perpendicular distance d, the weight of a band pixel k for the area pixel n
// is 1 / ((n - k)^2 + d^2), which depends only on n - k: every line's
// contribution to one row (or column) of the area is a 1-D convolution with
// one small kernel table. Short lines are summed directly on wide float
// vectors (the division becomes a table load); long ones go through the FFT
// (removal_spectral.h). Either way the row and column passes split over the
// cores, and the result stays well inside one step of the 0..255 output of a
// plain double-precision loop over every pair.

#include <QImage>
#include <QRect>
#include <array>
#include <vector>

namespace lustrelab {

// One line of band pixels, channels as stored bytes / 255 (premultiplied).
struct BandLine
{
    // Row lines: the line's row relative to the area's first row (-1 is the row
    // just above, height is the row just below). Column lines: its column
    // relative to the area's first column.
    int offset = 0;
    std::array<std::vector<float>, 4> channels; // red, green, blue, alpha
};

// Writes the blended pixels into the area `area` of `bitmap`
// (Format_RGBA8888_Premultiplied). `rows` have the area's width, `columns` its
// height; at least one line must be given.
void interpolateArea(QImage& bitmap, QRect area, const std::vector<BandLine>& rows,
                     const std::vector<BandLine>& columns);

} // namespace lustrelab
