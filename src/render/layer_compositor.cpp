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
    std::vector<uint8_t> shadow;
    std::vector<float> shadowScratch;
};

void composeRow(uchar* canvasBits, qsizetype stride, int width, const BaseLayer& layer, int y,
                RowContext& ctx)
{
    auto* out = reinterpret_cast<uint32_t*>(canvasBits + stride * y);

    // Columns [imageX0, imageX1) of this row carry the screenshot.
    const uint32_t* image = nullptr;
    int imageX0 = 0, imageX1 = 0, imageOffset = 0;
    if (layer.image) {
        const int iy = y - layer.imagePosition.y();
        if (iy >= 0 && iy < layer.image->height()) {
            image = reinterpret_cast<const uint32_t*>(layer.image->constScanLine(iy));
            imageX0 = std::clamp(layer.imagePosition.x(), 0, width);
            imageX1 = std::clamp(layer.imagePosition.x() + layer.image->width(), 0, width);
            imageOffset = -layer.imagePosition.x();
        }
    }
    const bool rgb32 = layer.image && layer.image->format() == QImage::Format_RGB32;
    auto pixel = [&](int x) { return rgb32 ? image[x + imageOffset] | 0xff000000u : image[x + imageOffset]; };

    const ShadowField* shadow = layer.shadow;
    const bool shadowRow = shadow && y >= shadow->firstRow() && y < shadow->endRow();
    if (shadowRow) {
        ctx.shadow.resize(size_t(shadow->endColumn() - shadow->firstColumn()));
        shadow->sampleRow(y, layer.shadowOpacity, ctx.shadow.data(), ctx.shadowScratch);
    }

    // Background and shadow for a run of columns the screenshot does not hide.
    auto fillUnder = [&](int x0, int x1) {
        if (x0 >= x1)
            return;
        layer.background->fillSpan(y, x0, x1, out + x0);
        if (!shadowRow)
            return;
        const int s0 = std::max(x0, shadow->firstColumn()), s1 = std::min(x1, shadow->endColumn());
        const uint8_t* alpha = ctx.shadow.data() - shadow->firstColumn();
        for (int x = s0; x < s1; ++x) {
            // Black at alpha a, premultiplied (a, 0, 0, 0), over the background.
            if (alpha[x])
                out[x] = over(uint32_t(alpha[x]) << 24, out[x]);
        }
    };

    if (!image) {
        fillUnder(0, width);
        return;
    }
    fillUnder(0, imageX0);
    int x = imageX0;
    while (x < imageX1) {
        // A run of opaque pixels is copied as it is.
        int run = x;
        while (run < imageX1 && (pixel(run) >> 24) == 255)
            ++run;
        if (run > x) {
            if (rgb32) {
                for (int i = x; i < run; ++i)
                    out[i] = pixel(i);
            } else {
                std::memcpy(out + x, image + x + imageOffset, size_t(run - x) * 4);
            }
            x = run;
            continue;
        }
        while (run < imageX1 && (pixel(run) >> 24) != 255)
            ++run;
        fillUnder(x, run);
        for (int i = x; i < run; ++i) {
            const uint32_t s = pixel(i);
            out[i] = layer.imageTwice ? over(s, over(s, out[i])) : over(s, out[i]);
        }
        x = run;
    }
    fillUnder(imageX1, width);
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
