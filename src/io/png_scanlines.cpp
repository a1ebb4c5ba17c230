#include "png_scanlines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <memory>
#include <new>

namespace lustrelab {

namespace {

enum Filter : uint8_t { none = 0, sub = 1, up = 2, average = 3, paeth = 4 };

// One pixel's bytes as 16-bit lanes, and back. Always four bytes: for RGB
// the fourth is the next pixel's first (or a padding byte past the row) and
// rides along in a lane of its own, which nothing reads; a store's fourth
// byte is overwritten by the next pixel's store.
inline __m128i load(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), _mm_setzero_si128());
}

inline uint32_t packed(__m128i lanes)
{
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
}

inline __m128i absolute(__m128i x)
{
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

// A pixel's samples (R, G, B[, A] in memory order, read as a little-endian
// word) as a pixel of the image: premultiplied ARGB, or RGB32 with alpha 255.
template <int bpp> inline uint32_t toPixel(uint32_t samples)
{
    const uint32_t rgb = (samples & 0xff) << 16 | (samples & 0xff00) | ((samples >> 16) & 0xff);
    if constexpr (bpp == 3)
        return 0xff000000u | rgb;
    else
        return qPremultiply(rgb | (samples & 0xff000000u));
}

// Each pixel depends on the one before it, so the rows are undone pixel by
// pixel, all channels of a pixel at once in 16-bit lanes. `out` receives the
// samples (the next row's "above"), `pixels` the image's pixels.
template <int bpp>
void unfilterRow(uint8_t filter, const uint8_t* in, const uint8_t* prev, uint8_t* out, uint32_t* pixels,
                 int width)
{
    const size_t n = size_t(width) * bpp;
    const __m128i byteMask = _mm_set1_epi16(0xff);
    auto put = [&](int x, __m128i lanes) {
        const uint32_t v = packed(lanes);
        std::memcpy(out + x * bpp, &v, 4);
        pixels[x] = toPixel<bpp>(v);
    };
    switch (filter) {
    case none:
    case up: {
        size_t i = 0;
        if (filter == up) {
            for (; i + 16 <= n; i += 16) {
                const __m128i sum = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), sum);
            }
            for (; i < n; ++i)
                out[i] = uint8_t(in[i] + prev[i]);
        } else {
            std::memcpy(out, in, n);
        }
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            std::memcpy(&v, out + x * bpp, 4);
            pixels[x] = toPixel<bpp>(v);
        }
        return;
    }
    case sub: {
        __m128i a = _mm_setzero_si128();
        for (int x = 0; x < width; ++x) {
            a = _mm_and_si128(_mm_add_epi16(a, load(in + x * bpp)), byteMask);
            put(x, a);
        }
        return;
    }
    case average: {
        __m128i a = _mm_setzero_si128();
        for (int x = 0; x < width; ++x) {
            const __m128i mean = _mm_srli_epi16(_mm_add_epi16(a, load(prev + x * bpp)), 1);
            a = _mm_and_si128(_mm_add_epi16(mean, load(in + x * bpp)), byteMask);
            put(x, a);
        }
        return;
    }
    case paeth: {
        __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
        for (int x = 0; x < width; ++x) {
            const __m128i b = load(prev + x * bpp);
            const __m128i pa = absolute(_mm_sub_epi16(b, c)); // |p - a| with p = a + b - c
            const __m128i pb = absolute(_mm_sub_epi16(a, c));
            const __m128i pc = absolute(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
            const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
            // Ties go to a, then b, then c.
            const __m128i isA = _mm_cmpeq_epi16(smallest, pa), isB = _mm_cmpeq_epi16(smallest, pb);
            const __m128i bOrC = _mm_or_si128(_mm_and_si128(isB, b), _mm_andnot_si128(isB, c));
            const __m128i nearest = _mm_or_si128(_mm_and_si128(isA, a), _mm_andnot_si128(isA, bOrC));
            c = b;
            a = _mm_and_si128(_mm_add_epi16(nearest, load(in + x * bpp)), byteMask);
            put(x, a);
        }
        return;
    }
    }
}

} // namespace

InflatedPlacement placeInflatedRows(int width, int height, int channels)
{
    const size_t rows = size_t(height);
    const size_t inflatedRow = 1 + size_t(width) * size_t(channels);
    const size_t pixelRow = size_t(width) * 4;
    InflatedPlacement placement;
    placement.bytes = rows * inflatedRow;
    // Row y is written to [y * pixelRow, (y + 1) * pixelRow) once inflated
    // row y has been read; inflated row y + 1 must start at or after that end.
    // Within a row, pixel x is written below the samples of pixel x + 1.
    placement.offset = pixelRow > inflatedRow ? rows * (pixelRow - inflatedRow) : 0;
    const size_t end = placement.offset + placement.bytes;
    // Four-byte reads of the last pixel look one byte past the stream.
    placement.extra = (end > rows * pixelRow ? end - rows * pixelRow : 0) + 4;
    return placement;
}

bool unfilterInPlace(QImage& image, int channels, const InflatedPlacement& placement)
{
    const int width = image.width(), height = image.height();
    const size_t rowSamples = size_t(width) * size_t(channels);
    // The previous and current rows, undone, outside the shared buffer: the
    // pixels written over a row's inflated bytes would otherwise be read as
    // samples by the row below. Padded for the four-byte access at a row's end.
    const size_t padded = rowSamples + 16;
    const std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[2 * padded]());
    if (!rows)
        return false;
    uint8_t* previous = rows.get();
    uint8_t* current = rows.get() + padded;
    uchar* buffer = image.bits();
    const uint8_t* inflated = buffer + placement.offset;
    for (int y = 0; y < height; ++y, inflated += rowSamples + 1) {
        const uint8_t filter = inflated[0];
        if (filter > paeth)
            return false;
        auto* pixels = reinterpret_cast<uint32_t*>(buffer + size_t(y) * size_t(width) * 4);
        if (channels == 3)
            unfilterRow<3>(filter, inflated + 1, previous, current, pixels, width);
        else
            unfilterRow<4>(filter, inflated + 1, previous, current, pixels, width);
        std::swap(previous, current);
    }
    return true;
}

} // namespace lustrelab
