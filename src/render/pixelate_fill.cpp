#include "pixelate_fill.h"

#include "parallel_bands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace lustrelab {

namespace {

// Pixel edges beyond any canvas are cut before they become ints.
int pixelEdge(double points, double ratio, int limit)
{
    const double v = std::round(points * ratio);
    if (!(v > 0))
        return 0;
    return v < limit ? int(v) : limit;
}

uint32_t mix(uint32_t cell, uint32_t original, uint32_t weight) // weight 0..256 of the cell
{
    const uint32_t keep = 256 - weight;
    const uint32_t rb = (((cell & 0xff00ff) * weight + (original & 0xff00ff) * keep) >> 8) & 0xff00ff;
    const uint32_t ag =
        (((cell >> 8) & 0xff00ff) * weight + ((original >> 8) & 0xff00ff) * keep) & 0xff00ff00;
    return rb | ag;
}

} // namespace

void pixelateRegion(QImage& canvas, const QRectF& rect, double cellSize, double opacity)
{
    if (canvas.format() != QImage::Format_ARGB32_Premultiplied || !(opacity > 0))
        return;
    const double ratio = canvas.devicePixelRatio();
    if (!(rect.width() > 0) || !(rect.height() > 0) || !std::isfinite(cellSize))
        return;
    // The grid's origin: the rectangle's bottom-left corner in pixels, kept as
    // a double so a rectangle reaching far off the canvas still counts exactly.
    const double originX = std::round(rect.left() * ratio);
    const double originBottom = std::round(rect.bottom() * ratio);
    const int x0 = pixelEdge(rect.left(), ratio, canvas.width());
    const int x1 = pixelEdge(rect.right(), ratio, canvas.width());
    const int y0 = pixelEdge(rect.top(), ratio, canvas.height());
    const int y1 = pixelEdge(rect.bottom(), ratio, canvas.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    const int cell = std::max(1, int(std::lround(std::min(cellSize * ratio, 1e6))));
    const uint32_t weight = uint32_t(std::lround(std::min(opacity, 1.0) * 256));

    // The first visible cell's left and bottom edges (the grid may start off
    // the canvas), then whole cells from there.
    const double intoX = x0 - originX, intoY = originBottom - y1;
    const int firstLeft = x0 - int(std::fmod(intoX, cell));
    const int firstBottom = y1 + int(std::fmod(intoY, cell));
    const int columns = (x1 - firstLeft + cell - 1) / cell;
    const int rows = (firstBottom - y0 + cell - 1) / cell;

    uchar* bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    // One band of cell rows per worker: each cell row's pixels are its own.
    runInBands(
        rows,
        [&](int beginRow, int endRow) {
            std::vector<std::array<uint64_t, 4>> sums(static_cast<size_t>(columns));
            std::vector<uint32_t> means(static_cast<size_t>(columns));
            for (int row = beginRow; row < endRow; ++row) {
                const int bottom = std::min(y1, firstBottom - row * cell);
                const int top = std::max(y0, firstBottom - (row + 1) * cell);
                if (top >= bottom)
                    continue;
                std::fill(sums.begin(), sums.end(), std::array<uint64_t, 4>{});
                for (int y = top; y < bottom; ++y) {
                    const auto* line = reinterpret_cast<const uint32_t*>(bits + stride * y);
                    for (int column = 0; column < columns; ++column) {
                        const int left = std::max(x0, firstLeft + column * cell);
                        const int right = std::min(x1, firstLeft + (column + 1) * cell);
                        uint64_t a = 0, r = 0, g = 0, b = 0;
                        for (int x = left; x < right; ++x) {
                            const uint32_t p = line[x];
                            a += p >> 24;
                            r += (p >> 16) & 0xff;
                            g += (p >> 8) & 0xff;
                            b += p & 0xff;
                        }
                        auto& s = sums[size_t(column)];
                        s[0] += a, s[1] += r, s[2] += g, s[3] += b;
                    }
                }
                for (int column = 0; column < columns; ++column) {
                    const int left = std::max(x0, firstLeft + column * cell);
                    const int right = std::min(x1, firstLeft + (column + 1) * cell);
                    const uint64_t count = uint64_t(right - left) * uint64_t(bottom - top);
                    const auto& s = sums[size_t(column)];
                    auto mean = [count](uint64_t sum) { return uint32_t((sum + count / 2) / count); };
                    means[size_t(column)] =
                        mean(s[0]) << 24 | mean(s[1]) << 16 | mean(s[2]) << 8 | mean(s[3]);
                }
                for (int y = top; y < bottom; ++y) {
                    auto* line = reinterpret_cast<uint32_t*>(bits + stride * y);
                    for (int column = 0; column < columns; ++column) {
                        const int left = std::max(x0, firstLeft + column * cell);
                        const int right = std::min(x1, firstLeft + (column + 1) * cell);
                        const uint32_t m = means[size_t(column)];
                        if (weight >= 256)
                            std::fill(line + left, line + right, m);
                        else
                            for (int x = left; x < right; ++x)
                                line[x] = mix(m, line[x], weight);
                    }
                }
            }
        },
        1);
}

} // namespace lustrelab
