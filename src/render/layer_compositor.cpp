#include "layer_compositor.h"

#include "parallel_bands.h"
#include "pixel_blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace lustrelab {

namespace {

// x * a / 255 on all four channels at once, rounded as Qt rounds it.
inline uint32_t byteMul(uint32_t x, uint32_t a)
{
    uint32_t t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

inline uint32_t over(uint32_t source, uint32_t destination)
{
    return source + byteMul(destination, 255 - (source >> 24));
}

struct RowContext
{
    std::vector<float> shadowRow;
    std::vector<uint8_t> alpha;
    std::vector<uint32_t> upper, lower, resampled;
    int lowerRow = -2; // image row held in `lower`, so the next canvas row can reuse it
};

// Row `row` of the styled image as one contiguous array with a transparent
// pixel at each end (index 0 and width + 1); an all-transparent row outside.
void gatherRow(const StyledImage& image, int row, std::vector<uint32_t>& out)
{
    out.assign(size_t(image.width()) + 2, 0u);
    if (row < 0 || row >= image.height())
        return;
    StyledImage::Run runs[3];
    const int count = image.rowRuns(row, runs);
    for (int r = 0; r < count; ++r) {
        const StyledImage::Run& run = runs[r];
        uint32_t* target = out.data() + 1;
        for (int x = run.x0; x < run.x1; ++x)
            target[x] = run.opaqueFormat ? run.pixels[x] | 0xff000000u : run.pixels[x];
    }
}

// The screenshot's pixels on canvas row y, as runs in canvas columns
// (pixels[x] for canvas column x). Placed on whole pixels they are the image's
// own rows; between pixels, the image is moved by bilinear interpolation with
// transparency outside it, so its edge pixels carry their partial coverage.
int imageRuns(const BaseLayer& layer, int y, RowContext& ctx, StyledImage::Run* runs)
{
    const StyledImage& image = *layer.image;
    const QPointF at = layer.imagePosition;
    const int left = int(std::floor(at.x())), top = int(std::floor(at.y()));
    const double fx = at.x() - left, fy = at.y() - top;
    if (fx == 0 && fy == 0) {
        const int row = y - top;
        if (row < 0 || row >= image.height())
            return 0;
        const int count = image.rowRuns(row, runs);
        for (int r = 0; r < count; ++r) {
            runs[r].pixels -= left;
            runs[r].x0 += left;
            runs[r].x1 += left;
        }
        return count;
    }
    // Canvas pixel (x, y) samples the image at (x - at.x, y - at.y) in pixel
    // centres: between image rows y - top - 1 and y - top, and columns
    // x - left - 1 and x - left, with weights fx and fy on the earlier ones.
    const int row = y - top;
    if (row < 0 || row > image.height())
        return 0;
    const uint32_t wx = uint32_t(std::lround(fx * 256)), wy = uint32_t(std::lround(fy * 256));
    if (ctx.lowerRow == row - 1) {
        std::swap(ctx.upper, ctx.lower);
    } else {
        gatherRow(image, row - 1, ctx.upper);
    }
    gatherRow(image, row, ctx.lower);
    ctx.lowerRow = row;
    const size_t n = ctx.upper.size();
    ctx.resampled.resize(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        const uint32_t a = lerpPixel(ctx.lower[i], ctx.upper[i], wy);
        const uint32_t b = lerpPixel(ctx.lower[i + 1], ctx.upper[i + 1], wy);
        ctx.resampled[i] = lerpPixel(b, a, wx);
    }
    // resampled[i] belongs to canvas column left + i.
    runs[0] = {left, left + int(n - 1), ctx.resampled.data() - left, false};
    return 1;
}

// Columns [c0, c1) of canvas row y.
void composeRow(uchar* canvasBits, qsizetype stride, int c0, int c1, const BaseLayer& layer, int y,
                RowContext& ctx)
{
    const int width = c1;
    auto* out = reinterpret_cast<uint32_t*>(canvasBits + stride * y);

    // The screenshot's runs of this row, in canvas columns.
    StyledImage::Run runs[3];
    const int runCount = layer.image ? imageRuns(layer, y, ctx, runs) : 0;

    const ShadowField* shadow = layer.shadow;
    const bool shadowRow = shadow && shadow->prepareRow(y, ctx.shadowRow);

    // Background and shadow for a run of columns the screenshot does not hide.
    auto fillUnder = [&](int x0, int x1) {
        if (x0 >= x1)
            return;
        layer.background->fillSpan(y, x0, x1, out + x0);
        if (!shadowRow)
            return;
        const int s0 = std::max(x0, shadow->firstColumn()), s1 = std::min(x1, shadow->endColumn());
        if (s0 >= s1)
            return;
        ctx.alpha.resize(size_t(s1 - s0));
        shadow->sampleSpan(ctx.shadowRow, s0, s1, layer.shadowOpacity, ctx.alpha.data());
        const uint8_t* alpha = ctx.alpha.data() - s0;
        if (layer.shadowColor == 0xff000000u) {
            for (int x = s0; x < s1; ++x) {
                // Black at alpha a, premultiplied (a, 0, 0, 0), over the background.
                if (alpha[x])
                    out[x] = over(uint32_t(alpha[x]) << 24, out[x]);
            }
            return;
        }
        for (int x = s0; x < s1; ++x)
            if (alpha[x])
                out[x] = over(byteMul(layer.shadowColor, alpha[x]), out[x]);
    };

    int x = c0; // canvas columns before x are done
    for (int r = 0; r < runCount; ++r) {
        const StyledImage::Run& run = runs[r];
        const int x0 = std::clamp(run.x0, x, width), x1 = std::clamp(run.x1, x, width);
        if (x0 >= x1)
            continue;
        fillUnder(x, x0);
        const uint32_t* image = run.pixels; // indexed by canvas column
        if (run.opaqueFormat) {
            for (int i = x0; i < x1; ++i)
                out[i] = image[i] | 0xff000000u;
            x = x1;
            continue;
        }
        for (int i = x0; i < x1;) {
            // Opaque pixels are copied as they are: nothing below them shows.
            // Eight at a time: all eight are opaque exactly when their AND is.
            // (Checked before writing: a painted background may lie beneath.)
            if (i + 8 <= x1) {
                uint32_t all = image[i];
                for (int k = 1; k < 8; ++k)
                    all &= image[i + k];
                if (all >= 0xff000000u) {
                    std::memcpy(out + i, image + i, 8 * sizeof(uint32_t));
                    i += 8;
                    continue;
                }
            }
            const int end = std::min(x1, i + 8);
            fillUnder(i, end);
            for (int p = i; p < end; ++p) {
                const uint32_t s = image[p];
                out[p] = layer.imageTwice ? over(s, over(s, out[p])) : over(s, out[p]);
            }
            i = end;
        }
        x = x1;
    }
    fillUnder(x, width);
}

} // namespace

void composeBaseLayer(QImage& canvas, const BaseLayer& layer)
{
    // bits() once, here: scanLine() on a writable image counts a detach on
    // every call, which the worker threads must not do concurrently.
    uchar* bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    const int width = canvas.width();
    const QRect kept = layer.kept.intersected(canvas.rect());
    runInBands(canvas.height(), [&](int begin, int end) {
        RowContext ctx;
        for (int y = begin; y < end; ++y) {
            if (kept.isEmpty() || y < kept.top() || y > kept.bottom()) {
                composeRow(bits, stride, 0, width, layer, y, ctx);
            } else {
                composeRow(bits, stride, 0, kept.left(), layer, y, ctx);
                composeRow(bits, stride, kept.right() + 1, width, layer, y, ctx);
            }
        }
    });
}

void composeBaseLayerScaled(QImage& shown, QSize canvasPixels, const BaseLayer& layer)
{
    uchar* bits = shown.bits();
    const qsizetype stride = shown.bytesPerLine();
    const int width = shown.width(), height = shown.height();
    if (width <= 0 || height <= 0 || canvasPixels.isEmpty())
        return;
    // The canvas column and row nearest to each shown pixel's centre.
    auto nearest = [](int i, int shownCount, int canvasCount) {
        return std::min(canvasCount - 1, int((i + 0.5) * canvasCount / shownCount));
    };
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[size_t(x)] = nearest(x, width, canvasPixels.width());
    // The shown columns where the canvas column taken skips one (or more).
    std::vector<int> breaks;
    for (int x = 1; x < width; ++x)
        if (columns[size_t(x)] != columns[size_t(x) - 1] + 1)
            breaks.push_back(x);
    // Shown columns [x0, x1) of a row from `in` (indexed by canvas column),
    // in runs that take consecutive canvas columns (all but about one in
    // canvas / shown - 1): a straight copy that vectorises, where a lookup
    // per pixel does not. `alpha` is ORed in (opaque pixels whose format
    // leaves the byte undefined).
    auto copyColumns = [&](uint32_t* out, const uint32_t* in, int x0, int x1, uint32_t alpha) {
        auto next = std::upper_bound(breaks.cbegin(), breaks.cend(), x0);
        for (int x = x0; x < x1; ++next) {
            const int end = next == breaks.cend() ? x1 : std::min(x1, *next);
            const uint32_t* from = in + columns[size_t(x)];
            for (int i = 0; i < end - x; ++i)
                out[x + i] = from[i] | alpha;
            x = end;
        }
    };
    runInBands(height, [&](int begin, int end) {
        RowContext ctx;
        std::vector<uint32_t> row(static_cast<size_t>(canvasPixels.width()));
        for (int y = begin; y < end; ++y) {
            const int canvasRow = nearest(y, height, canvasPixels.height());
            auto* out = reinterpret_cast<uint32_t*>(bits + stride * y);
            // A run of pixels known to be opaque (the middle of an opaque
            // screenshot) hides everything beneath: its shown pixels are taken
            // from it straight away, and the canvas row is composed only
            // around it.
            StyledImage::Run runs[3];
            const int runCount = layer.image ? imageRuns(layer, canvasRow, ctx, runs) : 0;
            ctx.lowerRow = -2; // composeRow gathers its own rows
            const StyledImage::Run* middle = nullptr;
            for (int r = 0; r < runCount; ++r)
                if (runs[r].opaqueFormat && (!middle || runs[r].x1 - runs[r].x0 > middle->x1 - middle->x0))
                    middle = &runs[r];
            const int m0 = middle ? std::clamp(middle->x0, 0, canvasPixels.width()) : 0;
            const int m1 = middle ? std::clamp(middle->x1, m0, canvasPixels.width()) : 0;
            const int s0 = int(std::lower_bound(columns.cbegin(), columns.cend(), m0) - columns.cbegin());
            const int s1 = int(std::lower_bound(columns.cbegin(), columns.cend(), m1) - columns.cbegin());
            // A row of its own: stride 0 puts every canvas row there.
            auto* composed = reinterpret_cast<uchar*>(row.data());
            if (s0 < s1) {
                composeRow(composed, 0, 0, m0, layer, canvasRow, ctx);
                composeRow(composed, 0, m1, canvasPixels.width(), layer, canvasRow, ctx);
            } else {
                composeRow(composed, 0, 0, canvasPixels.width(), layer, canvasRow, ctx);
            }
            copyColumns(out, row.data(), 0, s0, 0);
            if (s0 < s1)
                copyColumns(out, middle->pixels, s0, s1, 0xff000000u);
            copyColumns(out, row.data(), std::max(s0, s1), width, 0);
        }
    });
}

} // namespace lustrelab
