#include "removal_fill.h"

#include "bilinear_resize.h"
#include "removal_interpolation.h"
#include "surface_coordinates.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace lustrelab {

namespace {

constexpr int bandWidth = 3;
constexpr std::size_t minimumSamplesForVariance = 11;
constexpr double uniformityThreshold = 0.02;
// A preview fill blends a copy whose area is at most this many pixels on its
// longer side: under a millisecond for any area, enlarging included.
constexpr int previewSide = 64;
// Far below one byte step; absorbs the rounding of sums of byte/255 values.
constexpr double byteTolerance = 1e-6;

// Unit coordinates times a canvas size rarely land exactly on a pixel edge
// (64 / 528 * 528 is 63.99999999999999); edges this close count as on it.
constexpr double edgeTolerance = 1e-6;

struct Sample
{
    double channel[4]; // red, green, blue, alpha as stored (premultiplied), 0..1
};

double channelValue(const QImage& bitmap, int x, int y, int channel)
{
    return bitmap.constScanLine(y)[4 * x + channel] / 255.0;
}

Sample sampleAt(const QImage& bitmap, int x, int y)
{
    Sample s;
    for (int c = 0; c < 4; ++c)
        s.channel[c] = channelValue(bitmap, x, y, c);
    return s;
}

// The band pixels in their fixed order: above and below the area column by
// column, then left and right of it row by row. Pixels past the bitmap's edge
// are skipped; the corners diagonal to the area are never part of the band.
std::vector<Sample> collectSamples(const QImage& bitmap, const QRect& area)
{
    std::vector<Sample> samples;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int k = 1; k <= bandWidth; ++k)
            if (area.top() - k >= 0)
                samples.push_back(sampleAt(bitmap, x, area.top() - k));
        for (int k = 1; k <= bandWidth; ++k)
            if (area.bottom() + k < bitmap.height())
                samples.push_back(sampleAt(bitmap, x, area.bottom() + k));
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int k = 1; k <= bandWidth; ++k)
            if (area.left() - k >= 0)
                samples.push_back(sampleAt(bitmap, area.left() - k, y));
        for (int k = 1; k <= bandWidth; ++k)
            if (area.right() + k < bitmap.width())
                samples.push_back(sampleAt(bitmap, area.right() + k, y));
    }
    return samples;
}

// Too few samples to judge count as uniform; otherwise the mean squared colour
// deviation (alpha ignored) decides.
bool isUniform(const std::vector<Sample>& samples)
{
    if (samples.size() < minimumSamplesForVariance)
        return true;
    double mean[3] = {0, 0, 0};
    for (const Sample& s : samples)
        for (int c = 0; c < 3; ++c)
            mean[c] += s.channel[c];
    for (double& m : mean)
        m /= double(samples.size());
    double deviation = 0;
    for (const Sample& s : samples)
        for (int c = 0; c < 3; ++c)
            deviation += (s.channel[c] - mean[c]) * (s.channel[c] - mean[c]);
    return deviation / double(samples.size()) < uniformityThreshold;
}

void fillFlat(QImage& bitmap, const QRect& area, const std::vector<Sample>& samples)
{
    double mean[4] = {0.5, 0.5, 0.5, 1.0}; // no surroundings at all: opaque mid-grey
    if (!samples.empty()) {
        std::fill(std::begin(mean), std::end(mean), 0.0);
        for (const Sample& s : samples)
            for (int c = 0; c < 4; ++c)
                mean[c] += s.channel[c];
        for (double& m : mean)
            m /= double(samples.size());
    }
    // The mean of n copies of byte/255 can land a hair below the byte (200 comes
    // back as 199.99999999999997); without the nudge a flat panel would be
    // refilled one step darker than itself.
    uchar bytes[4];
    for (int c = 0; c < 4; ++c)
        bytes[c] = uchar(std::clamp(mean[c] * 255.0 + byteTolerance, 0.0, 255.0));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* line = bitmap.scanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            std::copy(bytes, bytes + 4, line + 4 * x);
    }
}

BandLine rowLine(const QImage& bitmap, const QRect& area, int y)
{
    BandLine line;
    line.offset = y - area.top();
    for (int c = 0; c < 4; ++c)
        for (int x = area.left(); x <= area.right(); ++x)
            line.channels[c].push_back(float(channelValue(bitmap, x, y, c)));
    return line;
}

BandLine columnLine(const QImage& bitmap, const QRect& area, int x)
{
    BandLine line;
    line.offset = x - area.left();
    for (int c = 0; c < 4; ++c)
        for (int y = area.top(); y <= area.bottom(); ++y)
            line.channels[c].push_back(float(channelValue(bitmap, x, y, c)));
    return line;
}

void fillInterpolated(QImage& bitmap, const QRect& area)
{
    std::vector<BandLine> rows, columns;
    for (int k = 1; k <= bandWidth; ++k) {
        if (area.top() - k >= 0)
            rows.push_back(rowLine(bitmap, area, area.top() - k));
        if (area.bottom() + k < bitmap.height())
            rows.push_back(rowLine(bitmap, area, area.bottom() + k));
        if (area.left() - k >= 0)
            columns.push_back(columnLine(bitmap, area, area.left() - k));
        if (area.right() + k < bitmap.width())
            columns.push_back(columnLine(bitmap, area, area.right() + k));
    }
    interpolateArea(bitmap, area, rows, columns);
}

// The new pixels of `area` (premultiplied ARGB, the area's size), blended
// from the band around it at full resolution.
QImage exactPixels(const QImage& image, QRect area)
{
    area = area.intersected(image.rect());
    const QRect around =
        area.adjusted(-bandWidth, -bandWidth, bandWidth, bandWidth).intersected(image.rect());
    QImage bitmap = image.copy(around).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return {};
    const QRect inPiece = area.translated(-around.topLeft());
    const std::vector<Sample> samples = collectSamples(bitmap, inPiece);
    if (isUniform(samples))
        fillFlat(bitmap, inPiece, samples);
    else
        fillInterpolated(bitmap, inPiece);
    return bitmap.copy(inPiece).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int previewReduction(const QRect& area)
{
    const int side = std::max(area.width(), area.height());
    return std::max(1, (side + previewSide - 1) / previewSide);
}

// Each `factor` x `factor` block of `rect` in `image` (32-bit, premultiplied
// or opaque) averaged into one pixel; blocks cut by the rectangle's right or
// bottom edge average what they hold.
QImage blockAveraged(const QImage& image, const QRect& rect, int factor)
{
    const int width = (rect.width() + factor - 1) / factor;
    const int height = (rect.height() + factor - 1) / factor;
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return {};
    std::vector<quint32> sums(std::size_t(width) * 4);
    for (int by = 0; by < height; ++by) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int rowEnd = std::min(rect.height(), (by + 1) * factor);
        for (int y = by * factor; y < rowEnd; ++y) {
            const auto* line =
                reinterpret_cast<const quint32*>(image.constScanLine(rect.top() + y)) + rect.left();
            for (int bx = 0; bx < width; ++bx) {
                // Two channels to a word (blue and red, green and alpha), 16
                // bits each: 257 bytes add up to at most 0xffff, no carry.
                const int end = std::min(rect.width(), (bx + 1) * factor);
                for (int x = bx * factor; x < end;) {
                    const int runEnd = std::min(end, x + 257);
                    quint32 blueRed = 0, greenAlpha = 0;
                    for (; x < runEnd; ++x) {
                        blueRed += line[x] & 0x00ff00ffu;
                        greenAlpha += (line[x] >> 8) & 0x00ff00ffu;
                    }
                    quint32* sum = sums.data() + std::size_t(bx) * 4;
                    sum[0] += blueRed & 0xffffu;
                    sum[1] += greenAlpha & 0xffffu;
                    sum[2] += blueRed >> 16;
                    sum[3] += greenAlpha >> 16;
                }
            }
        }
        auto* out = reinterpret_cast<quint32*>(result.scanLine(by));
        const int rows = rowEnd - by * factor;
        for (int bx = 0; bx < width; ++bx) {
            const int count = rows * (std::min(rect.width(), (bx + 1) * factor) - bx * factor);
            const quint32* sum = sums.data() + std::size_t(bx) * 4;
            auto average = [count](quint32 total) { return (total + quint32(count) / 2) / quint32(count); };
            out[bx] = average(sum[0]) | average(sum[1]) << 8 | average(sum[2]) << 16 | average(sum[3]) << 24;
        }
    }
    return result;
}

// Fills `area` of `image` (32-bit) with new pixels made on a copy
// `reduction` times smaller and enlarged straight into `image`: the blend
// varies slowly inside the area, so what is lost is the detail a few pixels
// from its edges. Whether every alpha was kept; nothing when the pixels could
// not be made.
std::optional<bool> fillPreviewInPlace(QImage& image, const QRect& area, int reduction)
{
    const int margin = bandWidth * reduction;
    // Whole blocks from the area's corner, so the small area lands on whole pixels.
    const QPoint origin(std::max(0, area.left() - margin / reduction * reduction),
                        std::max(0, area.top() - margin / reduction * reduction));
    const QRect around = QRect(origin, area.bottomRight() + QPoint(margin, margin)).intersected(image.rect());
    const QImage small = blockAveraged(image, around, reduction);
    if (small.isNull())
        return std::nullopt;
    const QRect inPiece = area.translated(-origin);
    // The small pixels that hold part of the area; the ones wholly outside are its band.
    const QRect smallArea(QPoint(inPiece.left() / reduction, inPiece.top() / reduction),
                          QPoint(inPiece.right() / reduction, inPiece.bottom() / reduction));
    const QImage smallFilled = exactPixels(small, smallArea);
    if (smallFilled.isNull())
        return std::nullopt;
    const QRect window(inPiece.topLeft() - smallArea.topLeft() * reduction, area.size());
    const std::optional<uint32_t> changed =
        bilinearResizedInto(smallFilled, smallArea.size() * reduction, window, image, area.topLeft());
    if (!changed)
        return std::nullopt;
    return (*changed >> 24) == 0;
}

int firstPixel(double edge)
{
    return int(std::floor(edge + edgeTolerance));
}

int lastPixel(double edge)
{
    return int(std::ceil(edge - edgeTolerance)) - 1;
}

} // namespace

QRect removalPixelRange(const UnitRect& areaRect, QSizeF canvasSize, QRectF imageRectOnCanvas,
                        const QImage& image)
{
    if (image.isNull())
        return {};
    const QRectF onCanvas = unitRectToSurface(areaRect, canvasSize).normalized();
    const double ratio = image.devicePixelRatio();
    const double edges[4] = {(onCanvas.left() - imageRectOnCanvas.left()) * ratio,
                             (onCanvas.top() - imageRectOnCanvas.top()) * ratio,
                             (onCanvas.right() - imageRectOnCanvas.left()) * ratio,
                             (onCanvas.bottom() - imageRectOnCanvas.top()) * ratio};
    // An area without extent erases nothing; a broken one neither.
    if (!(onCanvas.width() > 0) || !(onCanvas.height() > 0))
        return {};
    double clamped[4];
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(edges[i]))
            return {};
        // Keeps the int conversion in range; anything past the image clamps anyway.
        const double limit = (i % 2 == 0 ? image.width() : image.height()) + 1.0;
        clamped[i] = std::clamp(edges[i], -1.0, limit);
    }
    const int x0 = std::max(firstPixel(clamped[0]), 0);
    const int y0 = std::max(firstPixel(clamped[1]), 0);
    const int x1 = std::min(lastPixel(clamped[2]), image.width() - 1);
    const int y1 = std::min(lastPixel(clamped[3]), image.height() - 1);
    if (x0 > x1 || y0 > y1)
        return {};
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

bool fillRemovalAreaInPlace(QImage& image, QRect pixelRange, FillDetail detail)
{
    const QRect area = pixelRange.intersected(image.rect());
    if (image.isNull() || area.isEmpty())
        return true;
    // Only the area and its band are read and converted to the bytes the fill
    // works on.
    const int reduction = detail == FillDetail::preview ? previewReduction(area) : 1;
    if (reduction > 1)
        return fillPreviewInPlace(image, area, reduction).value_or(true);
    const QImage filled = exactPixels(image, area).convertToFormat(image.format());
    if (filled.size() != area.size() || !image.bits()) // bits() also detaches
        return true;
    QRgb alphaChanged = 0;
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(area.top() + y)) + area.left();
        const auto* from = reinterpret_cast<const QRgb*>(filled.constScanLine(y));
        for (int x = 0; x < area.width(); ++x)
            alphaChanged |= line[x] ^ from[x];
        std::memcpy(line, from, sizeof(QRgb) * std::size_t(area.width()));
    }
    return (alphaChanged >> 24) == 0;
}

QImage fillRemovalArea(const QImage& image, QRect pixelRange, FillDetail detail)
{
    if (image.isNull() || pixelRange.intersected(image.rect()).isEmpty())
        return image;
    // An opaque screenshot stays opaque: every fill of an opaque band is.
    QImage result = image.convertToFormat(
        image.format() == QImage::Format_RGB32 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return image;
    fillRemovalAreaInPlace(result, pixelRange, detail);
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result;
}

} // namespace lustrelab
