#include "shadow_field.h"

#include "parallel_bands.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lustrelab {

void ShadowField::build(const StyledImage& image, const Shape& shape, QPointF position, QPointF offset,
                        double sigma, QSize canvasPixels)
{
    if (image.isNull() || canvasPixels.isEmpty() || !(sigma >= 0)) {
        m_grid.clear();
        m_shape.reset();
        m_cellsShape.reset();
        return;
    }
    // The grid depends on the image's alpha and the blur alone: a change of
    // padding, background or offset only moves it.
    if (!(m_shape && *m_shape == shape && m_sigma == sigma && shape.imageKey != 0)) {
        // The cells serve every blur with the same cell size: a Blur drag
        // reads the image's alpha once for many steps.
        const int factor = std::max(1, int(sigma / 3));
        if (!(m_cellsShape && *m_cellsShape == shape && shape.imageKey != 0 && m_factor == factor)) {
            m_factor = factor;
            downsample(image);
            m_cellsShape = shape;
        }
        m_sigmaCells = sigma / m_factor;
        m_padCells = int(std::ceil(3 * m_sigmaCells)) + 1;
        m_gridWidth = m_cellsWidth + 2 * m_padCells;
        m_gridHeight = m_cellsHeight + 2 * m_padCells;
        m_grid.assign(size_t(m_gridWidth) * m_gridHeight, 0.0f);
        for (int row = 0; row < m_cellsHeight; ++row)
            std::copy_n(m_cells.data() + size_t(row) * m_cellsWidth, m_cellsWidth,
                        m_grid.data() + size_t(row + m_padCells) * m_gridWidth + m_padCells);
        blur();
        m_shape = shape;
        m_sigma = sigma;
    }
    m_originX = position.x() + offset.x();
    m_originY = position.y() + offset.y();

    // Grid coordinate of a canvas pixel centre c: (c + 0.5 - origin) / k + pad - 0.5,
    // so that the centre of cell i lies over the middle of the pixels it averages.
    auto gridCoord = [this](double canvas, double origin) {
        return (canvas + 0.5 - origin) / m_factor + m_padCells - 0.5;
    };
    auto canvasRange = [&](double origin, int cells, int limit, int& first, int& end) {
        // Pixels whose grid coordinate lies in (-1, cells) touch a non-empty cell.
        first = std::clamp(int(std::floor((-1 - m_padCells + 0.5) * m_factor + origin - 0.5)), 0, limit);
        end = std::clamp(int(std::ceil((cells - m_padCells + 0.5) * m_factor + origin)), 0, limit);
    };
    canvasRange(m_originX, m_gridWidth, canvasPixels.width(), m_firstColumn, m_endColumn);
    canvasRange(m_originY, m_gridHeight, canvasPixels.height(), m_firstRow, m_endRow);
    m_columnCell.resize(size_t(std::max(0, m_endColumn - m_firstColumn)));
    m_columnFrac.resize(m_columnCell.size());
    for (int x = m_firstColumn; x < m_endColumn; ++x) {
        const double g = gridCoord(x, m_originX);
        const double cell = std::floor(g);
        // Cells outside the grid read the row's empty padding.
        m_columnCell[x - m_firstColumn] = std::clamp(int(cell), -rowPad, m_gridWidth + rowPad - 2);
        m_columnFrac[x - m_firstColumn] = float(g - cell);
    }
}

void ShadowField::downsample(const StyledImage& image)
{
    const int k = m_factor;
    const float scale = 1.0f / (255.0f * k * k);
    m_cellsWidth = (image.width() + k - 1) / k;
    m_cellsHeight = (image.height() + k - 1) / k;
    m_cells.assign(size_t(m_cellsWidth) * m_cellsHeight, 0.0f);
    runInBands(
        m_cellsHeight,
        [&](int begin, int end) {
            // A cell holds up to k² alpha values of 255: past about 4100 x 4100
            // pixels (very wide blurs on large images) that needs 64 bits.
            std::vector<uint64_t> sums(static_cast<size_t>(m_cellsWidth));
            for (int cellRow = begin; cellRow < end; ++cellRow) {
                std::fill(sums.begin(), sums.end(), uint64_t(0));
                const int yEnd = std::min(image.height(), (cellRow + 1) * k);
                for (int y = cellRow * k; y < yEnd; ++y) {
                    StyledImage::Run runs[3];
                    const int count = image.rowRuns(y, runs);
                    uint64_t* cells = sums.data();
                    for (int r = 0; r < count; ++r) {
                        const StyledImage::Run& run = runs[r];
                        if (run.x0 >= run.x1)
                            continue;
                        // One division a run, not one a cell: on a Corner Radius
                        // drag this loop runs for every row on every step.
                        int cell = run.x0 / k;
                        int cellEnd = (cell + 1) * k;
                        if (run.opaqueFormat) {
                            // Partial cells at the ends, whole ones between.
                            const int lastCell = (run.x1 - 1) / k;
                            if (cell == lastCell) {
                                cells[cell] += 255u * uint32_t(run.x1 - run.x0);
                                continue;
                            }
                            cells[cell] += 255u * uint32_t(cellEnd - run.x0);
                            const uint64_t whole = 255u * uint32_t(k);
                            for (int c = cell + 1; c < lastCell; ++c)
                                cells[c] += whole;
                            cells[lastCell] += 255u * uint32_t(run.x1 - lastCell * k);
                            continue;
                        }
                        for (int x = run.x0; x < run.x1; ++cell, cellEnd += k) {
                            const int end = std::min(run.x1, cellEnd);
                            uint32_t sum = 0;
                            for (int i = x; i < end; ++i)
                                sum += run.pixels[i] >> 24;
                            cells[cell] += sum;
                            x = end;
                        }
                    }
                }
                float* out = m_cells.data() + size_t(cellRow) * m_cellsWidth;
                for (int i = 0; i < m_cellsWidth; ++i)
                    out[i] = float(sums[i]) * scale;
            }
        },
        std::max(1, 64 / k));
}

namespace {

// Spans [begin, end) of a line whose blur is worth computing.
struct Span
{
    int begin = 0;
    int end = 0;
};

// The spans of a line of `n` values where a window of `radius` each side
// holds two values that differ, from `changes` (ascending positions c where
// value c differs from value c - 1). Elsewhere the window holds one value,
// which a normalised kernel gives back as it is.
void spansAround(const std::vector<int>& changes, int radius, int n, std::vector<Span>& spans)
{
    spans.clear();
    for (const int c : changes) {
        const int begin = std::max(0, c - radius), end = std::min(n, c + radius);
        if (!spans.empty() && begin <= spans.back().end)
            spans.back().end = end;
        else
            spans.push_back({begin, end});
    }
}

} // namespace

void ShadowField::blur()
{
    // The box average widens the blur by a variance of 1/12 cell²; take it
    // off the grid's Gaussian. (Bilinear read-back interpolates rather than
    // blurs: measured against an exact Gaussian, compensating it only hurts.)
    const double extra = m_factor > 1 ? 1.0 / 12 : 0.0;
    const double s = std::sqrt(std::max(0.0, m_sigmaCells * m_sigmaCells - extra));
    if (s < 0.2)
        return;
    const int radius = int(std::ceil(3 * s));
    std::vector<float> kernel(size_t(2 * radius + 1));
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel[i + radius] = float(std::exp(-0.5 * i * i / (s * s)));
    for (float& w : kernel)
        w = float(w / total);

    // A shadow's alpha is mostly flat: empty around the image, and full
    // under an opaque screenshot's middle. Only within a kernel's reach of
    // where it changes does the blur change it, so only there is it
    // computed; a small blur of a large screenshot then costs its outline,
    // not its area.
    const int w = m_gridWidth, h = m_gridHeight;
    std::vector<float> tmp(m_grid.size());
    runInBands(h, [&](int begin, int end) {
        std::vector<int> changes;
        std::vector<Span> spans;
        for (int y = begin; y < end; ++y) {
            const float* in = m_grid.data() + size_t(y) * w;
            float* out = tmp.data() + size_t(y) * w;
            changes.clear();
            for (int x = 1; x < w; ++x)
                if (in[x] != in[x - 1])
                    changes.push_back(x);
            spansAround(changes, radius, w, spans);
            std::copy_n(in, w, out);
            for (const Span& span : spans)
                for (int x = span.begin; x < span.end; ++x) {
                    float acc = 0;
                    const int lo = std::max(-radius, -x), hi = std::min(radius, w - 1 - x);
                    for (int i = lo; i <= hi; ++i)
                        acc += kernel[i + radius] * in[x + i];
                    out[x] = acc;
                }
        }
    });
    runInBands(h, [&](int begin, int end) {
        // Per column, the latest row c (c <= y + radius) whose value differs
        // from the row above: row y is computed where that lies within the
        // window, above y - radius.
        std::vector<int> lastChange(size_t(w), std::numeric_limits<int>::min() / 2);
        auto note = [&](int c) {
            if (c < 1 || c >= h)
                return;
            const float* row = tmp.data() + size_t(c) * w;
            const float* above = row - w;
            for (int x = 0; x < w; ++x)
                if (row[x] != above[x])
                    lastChange[size_t(x)] = c;
        };
        for (int c = begin - radius + 1; c < begin + radius; ++c)
            note(c);
        std::vector<Span> spans;
        for (int y = begin; y < end; ++y) {
            note(y + radius);
            spans.clear();
            for (int x = 0; x < w;) {
                if (lastChange[size_t(x)] <= y - radius) {
                    ++x;
                    continue;
                }
                const int first = x;
                while (x < w && lastChange[size_t(x)] > y - radius)
                    ++x;
                spans.push_back({first, x});
            }
            float* out = m_grid.data() + size_t(y) * w;
            std::copy_n(tmp.data() + size_t(y) * w, w, out);
            const int lo = std::max(-radius, -y), hi = std::min(radius, h - 1 - y);
            for (const Span& span : spans) {
                std::fill(out + span.begin, out + span.end, 0.0f);
                for (int i = lo; i <= hi; ++i) {
                    const float kw = kernel[i + radius];
                    const float* in = tmp.data() + size_t(y + i) * w;
                    for (int x = span.begin; x < span.end; ++x)
                        out[x] += kw * in[x];
                }
            }
        }
    });
}

bool ShadowField::prepareRow(int y, std::vector<float>& row) const
{
    if (m_grid.empty() || y < m_firstRow || y >= m_endRow)
        return false;
    const double g = (y + 0.5 - m_originY) / m_factor + m_padCells - 0.5;
    const int cell = int(std::floor(g));
    const float fy = float(g - cell);
    // Vertical interpolation once per row, into a grid row padded with empty
    // cells at each end so that the horizontal step needs no bounds tests.
    row.assign(size_t(m_gridWidth) + 2 * rowPad, 0.0f);
    float* out = row.data() + rowPad;
    const float* above =
        cell >= 0 && cell < m_gridHeight ? m_grid.data() + size_t(cell) * m_gridWidth : nullptr;
    const float* below =
        cell + 1 >= 0 && cell + 1 < m_gridHeight ? m_grid.data() + size_t(cell + 1) * m_gridWidth : nullptr;
    if (above)
        for (int i = 0; i < m_gridWidth; ++i)
            out[i] = above[i] * (1 - fy);
    if (below)
        for (int i = 0; i < m_gridWidth; ++i)
            out[i] += below[i] * fy;
    return true;
}

void ShadowField::sampleSpan(const std::vector<float>& row, int x0, int x1, float opacity, uint8_t* out) const
{
    const float* cells = row.data() + rowPad;
    const float scale = opacity * 255.0f;
    const int* cellOf = m_columnCell.data() - m_firstColumn;
    const float* fracOf = m_columnFrac.data() - m_firstColumn;
    for (int x = x0; x < x1; ++x) {
        const float left = cells[cellOf[x]], right = cells[cellOf[x] + 1];
        // Blurred alpha lies in 0..1, so the rounded value never exceeds 255.
        out[x - x0] = uint8_t((left + (right - left) * fracOf[x]) * scale + 0.5f);
    }
}

} // namespace lustrelab
