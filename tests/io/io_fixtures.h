#pragma once

// Shared by the input/output tests: a private home and test images.

#include "test_fixtures.h"

#include <QBuffer>
#include <QImage>

namespace lustrelab::iotest {

using test::IsolatedHome;

// Every pixel differs from its neighbours, so a flip, crop or format mix-up
// shows.
inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 53) & 0xff, (x * y * 7 + 90) & 0xff));
    return image;
}

// `image` as a file of `format` would hold it.
inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format);
    return bytes;
}

// The form comparisons use.
inline QImage asArgb(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

} // namespace lustrelab::iotest
