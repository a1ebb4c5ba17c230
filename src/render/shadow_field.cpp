#include "shadow_field.h"

#include "parallel_bands.h"

#include <algorithm>
#include <cmath>

namespace lustrelab {

void ShadowField::build(const QImage& image, QPointF position, QPointF offset, double sigma,
                        QSize canvasPixels)
{
    grid_.clear();
    if (image.isNull() || canvasPixels.isEmpty() || !(sigma >= 0))
        return;
    factor_ = std::max(1, int(sigma / 2));
    sigmaCells_ = sigma / factor_;
    padCells_ = int(std::ceil(3 * sigmaCells_)) + 1;
    gridWidth_ = (image.width() + factor_ - 1) / factor_ + 2 * padCells_;
    gridHeight_ = (image.height() + factor_ - 1) / factor_ + 2 * padCells_;
    originX_ = position.x() + offset.x();
    originY_ = position.y() + offset.y();
    grid_.assign(size_t(gridWidth_) * gridHeight_, 0.0f);
    downsample(image);
    blur();

    // Grid coordinate of a canvas pixel centre c: (c + 0.5 - origin) / k + pad - 0.5,
    // so that the centre of cell i lies over the middle of the pixels it averages.
    auto gridCoord = [this](double canvas, double origin) {
        return (canvas + 0.5 - origin) / factor_ + padCells_ - 0.5;
    };
    auto canvasRange = [&](double origin, int cells, int limit, int& first, int& end) {
        // Pixels whose grid coordinate lies in (-1, cells) touch a non-empty cell.
        first = std::clamp(int(std::floor((-1 - padCells_ + 0.5) * factor_ + origin - 0.5)), 0, limit);
        end = std::clamp(int(std::ceil((cells - padCells_ + 0.5) * factor_ + origin)), 0, limit);
    };
    canvasRange(originX_, gridWidth_, canvasPixels.width(), firstColumn_, endColumn_);
    canvasRange(originY_, gridHeight_, canvasPixels.height(), firstRow_, endRow_);
    columnCell_.resize(size_t(std::max(0, endColumn_ - firstColumn_)));
    columnFrac_.resize(columnCell_.size());
    for (int x = firstColumn_; x < endColumn_; ++x) {
        const double g = gridCoord(x, originX_);
        const double cell = std::floor(g);
        columnCell_[x - firstColumn_] = int(cell);
        columnFrac_[x - firstColumn_] = float(g - cell);
    }
}

void ShadowField::downsample(const QImage& image)
{
    const int k = factor_;
    const float scale = 1.0f / (255.0f * k * k);
    const int cellRows = (image.height() + k - 1) / k;
    runInBands(cellRows, [&](int begin, int end) {
        std::vector<uint32_t> sums(static_cast<size_t>(gridWidth_));
        for (int cellRow = begin; cellRow < end; ++cellRow) {
            std::fill(sums.begin(), sums.end(), 0u);
            const int yEnd = std::min(image.height(), (cellRow + 1) * k);
            for (int y = cellRow * k; y < yEnd; ++y) {
                const auto* px = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
                uint32_t* cell = sums.data() + padCells_;
                for (int x0 = 0; x0 < image.width(); x0 += k, ++cell) {
                    const int x1 = std::min(image.width(), x0 + k);
                    uint32_t s = 0;
                    for (int x = x0; x < x1; ++x)
                        s += px[x] >> 24;
                    *cell += s;
                }
            }
            float* out = grid_.data() + size_t(cellRow + padCells_) * gridWidth_;
            for (int i = 0; i < gridWidth_; ++i)
                out[i] = float(sums[i]) * scale;
        }
    });
}

void ShadowField::blur()
{
    // The box average (variance 1/12 cell²) and the bilinear read-back
    // (about 1/6 cell²) add to the blur; take them off the grid's Gaussian.
    const double extra = factor_ > 1 ? 0.25 : 0.0;
    const double s = std::sqrt(std::max(0.0, sigmaCells_ * sigmaCells_ - extra));
    if (s < 0.2)
        return;
    const int radius = int(std::ceil(3 * s));
    std::vector<float> kernel(size_t(2 * radius + 1));
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel[i + radius] = float(std::exp(-0.5 * i * i / (s * s)));
    for (float& w : kernel)
        w = float(w / total);

    const int w = gridWidth_, h = gridHeight_;
    std::vector<float> tmp(grid_.size());
    runInBands(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const float* in = grid_.data() + size_t(y) * w;
            float* out = tmp.data() + size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                float acc = 0;
                const int lo = std::max(-radius, -x), hi = std::min(radius, w - 1 - x);
                for (int i = lo; i <= hi; ++i)
                    acc += kernel[i + radius] * in[x + i];
                out[x] = acc;
            }
        }
    });
    runInBands(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            float* out = grid_.data() + size_t(y) * w;
            std::fill(out, out + w, 0.0f);
            const int lo = std::max(-radius, -y), hi = std::min(radius, h - 1 - y);
            for (int i = lo; i <= hi; ++i) {
                const float kw = kernel[i + radius];
                const float* in = tmp.data() + size_t(y + i) * w;
                for (int x = 0; x < w; ++x)
                    out[x] += kw * in[x];
            }
        }
    });
}

void ShadowField::sampleRow(int y, float opacity, uint8_t* out, std::vector<float>& scratch) const
{
    const int count = endColumn_ - firstColumn_;
    if (grid_.empty() || y < firstRow_ || y >= endRow_) {
        std::fill(out, out + std::max(0, count), uint8_t(0));
        return;
    }
    const double g = (y + 0.5 - originY_) / factor_ + padCells_ - 0.5;
    const int cell = int(std::floor(g));
    const float fy = float(g - cell);
    // Vertical interpolation once per row, into a grid row padded by one
    // empty cell at each end so the horizontal step needs no bounds tests.
    scratch.assign(size_t(gridWidth_) + 2, 0.0f);
    float* row = scratch.data() + 1;
    const float* above = cell >= 0 && cell < gridHeight_ ? grid_.data() + size_t(cell) * gridWidth_ : nullptr;
    const float* below =
        cell + 1 >= 0 && cell + 1 < gridHeight_ ? grid_.data() + size_t(cell + 1) * gridWidth_ : nullptr;
    for (int i = 0; i < gridWidth_; ++i)
        row[i] = (above ? above[i] * (1 - fy) : 0.0f) + (below ? below[i] * fy : 0.0f);
    const float scale = opacity * 255.0f;
    for (int i = 0; i < count; ++i) {
        const int c = columnCell_[i];
        const float f = columnFrac_[i];
        const float left = c >= -1 && c < gridWidth_ ? row[c] : 0.0f;
        const float right = c + 1 >= -1 && c + 1 < gridWidth_ ? row[c + 1] : 0.0f;
        const float a = (left * (1 - f) + right * f) * scale;
        out[i] = uint8_t(std::clamp(a + 0.5f, 0.0f, 255.0f));
    }
}

} // namespace lustrelab
