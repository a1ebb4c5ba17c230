#pragma once

// Image helpers shared by the render tests: filled sources and colour probes
// with a tolerance for antialiasing and rounding.

#include "render/image_processor.h"
#include "test_fixtures.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <vector>

using lustrelab::test::patternImage;
using lustrelab::test::solidImage;

// Square corners on a solid background; a shadow only when asked for.
inline lustrelab::BeautySettings plainSettings(double padding = 64, QColor background = Qt::blue,
                                               bool shadow = false)
{
    lustrelab::BeautySettings s;
    s.shadowEnabled = shadow, s.cornerRadius = 0, s.padding = padding;
    s.backgroundType = lustrelab::BackgroundType::solid;
    s.solidColor = {background.redF(), background.greenF(), background.blueF(), 1};
    return s;
}

// The styling a drag on a styling control starts from: a shadow and rounded corners.
inline lustrelab::BeautySettings dragStart()
{
    lustrelab::BeautySettings s = plainSettings(40, QColor(30, 60, 200), true);
    s.shadowBlur = 24, s.cornerRadius = 10;
    return s;
}

// `settings` as `edit` changes it.
template <typename Edit> lustrelab::BeautySettings edited(lustrelab::BeautySettings settings, Edit edit)
{
    edit(settings);
    return settings;
}

// `image` with every pixel of `hole` transparent.
inline QImage holed(QImage image, const QRect& hole)
{
    for (int y = hole.top(); y <= hole.bottom(); ++y)
        for (int x = hole.left(); x <= hole.right(); ++x)
            image.setPixel(x, y, 0);
    return image;
}

// The pattern at ratio 2, with a transparent hole where `withAlpha` asks for
// one, close enough to the right edge for the shadow beyond it to show the hole.
inline QImage liveScreenshot(bool withAlpha)
{
    const QImage image = patternImage(360, 240, 2);
    return withAlpha ? holed(image, QRect(300, 100, 50, 40)) : image;
}

// How far two 32-bit images are apart, byte by byte: the largest difference
// (-1 when their sizes differ), the mean, and the 99th percentile of each
// pixel's largest.
struct ByteDifferences
{
    int largest = -1;
    double mean = 0;
    int p99 = 0;
};
inline ByteDifferences byteDifferences(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return {};
    std::vector<int> worst;
    qint64 total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < 4 * a.width(); x += 4) {
            int pixel = 0;
            for (int i = x; i < x + 4; ++i) {
                const int d = std::abs(int(a.constScanLine(y)[i]) - int(b.constScanLine(y)[i]));
                total += d, pixel = std::max(pixel, d);
            }
            worst.push_back(pixel);
        }
    std::sort(worst.begin(), worst.end());
    return {worst.back(), double(total) / (4.0 * double(worst.size())), worst[worst.size() * 99 / 100]};
}

inline QImage compose(const QImage& source, const lustrelab::BeautySettings& settings)
{
    return lustrelab::ImageProcessor().process(source, settings);
}

inline bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// Checks a probe and names the colour found when it is off.
#define VERIFY_NEAR(actual, expected, tolerance)                                                             \
    QVERIFY2(near(actual, expected, tolerance), qPrintable(QColor(actual).name(QColor::HexArgb)))
