#include "box_blur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace lustrelab {

namespace {

// One box pass along a line of `n` pixels `stride` apart, radius r.
void blurLine(uint32_t* line, int n, int stride, int r, std::vector<uint32_t>& copy)
{
    copy.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        copy[size_t(i)] = line[i * stride];
    auto at = [&](int i) { return copy[size_t(std::clamp(i, 0, n - 1))]; };
    uint32_t sum[4] = {0, 0, 0, 0};
    for (int i = -r; i <= r; ++i)
        for (int c = 0; c < 4; ++c)
            sum[c] += (at(i) >> (8 * c)) & 0xffu;
    const uint32_t width = uint32_t(2 * r + 1);
    for (int i = 0; i < n; ++i) {
        uint32_t out = 0;
        for (int c = 0; c < 4; ++c)
            out |= ((sum[c] + width / 2) / width) << (8 * c);
        line[i * stride] = out;
        const uint32_t leaving = at(i - r), entering = at(i + r + 1);
        for (int c = 0; c < 4; ++c)
            sum[c] += ((entering >> (8 * c)) & 0xffu) - ((leaving >> (8 * c)) & 0xffu);
    }
}

} // namespace

void boxBlur(QImage& image, double sigma)
{
    if (!(sigma > 0) || image.isNull() || image.depth() != 32)
        return;
    // Three boxes of width w have the variance of a Gaussian of sigma when
    // 3 (w^2 - 1) / 12 = sigma^2.
    const int radius = std::max(1, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    const int w = image.width(), h = image.height();
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    const int stride = int(image.bytesPerLine() / 4);
    std::vector<uint32_t> copy;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            blurLine(pixels + y * stride, w, 1, radius, copy);
        for (int x = 0; x < w; ++x)
            blurLine(pixels + x, h, stride, radius, copy);
    }
}

} // namespace lustrelab
