#pragma once

// Image helpers shared by the render tests: filled sources and colour probes
// with a tolerance for antialiasing and rounding.

#include "render/image_processor.h"
#include "test_fixtures.h"

#include <QColor>
#include <QImage>
#include <cstdlib>

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
