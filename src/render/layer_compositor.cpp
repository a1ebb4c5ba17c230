#include "layer_compositor.h"

#include "parallel_bands.h"

#include <algorithm>
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
};

void composeRow(uchar* canvasBits, qsizetype stride, int width, const BaseLayer& layer, int y,
                RowContext& ctx)
{
    auto* out = reinterpret_cast<uint32_t*>(canvasBits + stride * y);

    // The screenshot's runs of this row, in canvas columns.
    StyledImage::Run runs[3];
    int runCount = 0;
    const int imageX = layer.imagePosition.x();
    if (layer.image) {
        const int iy = y - layer.imagePosition.y();
        if (iy >= 0 && iy < layer.image->height())
            runCount = layer.image->rowRuns(iy, runs);
    }

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
        for (int x = s0; x < s1; ++x) {
            // Black at alpha a, premultiplied (a, 0, 0, 0), over the background.
            if (alpha[x])
                out[x] = over(uint32_t(alpha[x]) << 24, out[x]);
        }
    };

    int x = 0; // canvas columns before x are done
    for (int r = 0; r < runCount; ++r) {
        const StyledImage::Run& run = runs[r];
        const int x0 = std::clamp(run.x0 + imageX, 0, width), x1 = std::clamp(run.x1 + imageX, 0, width);
        if (x0 >= x1)
            continue;
        fillUnder(x, x0);
        const uint32_t* image = run.pixels - imageX; // indexed by canvas column
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
    runInBands(canvas.height(), [&](int begin, int end) {
        RowContext ctx;
        for (int y = begin; y < end; ++y)
            composeRow(bits, stride, width, layer, y, ctx);
    });
}

} // namespace lustrelab
