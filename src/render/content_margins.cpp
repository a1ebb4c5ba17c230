#include "content_margins.h"

#include <cstdlib>

namespace lustrelab {

namespace {

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

} // namespace

QRect contentRect(const QImage& input, int tolerance)
{
    if (input.isNull())
        return {};
    // One 32-bit layout to read; screenshots already are, so this copies nothing.
    const QImage image = input.format() == QImage::Format_ARGB32_Premultiplied ||
                                 input.format() == QImage::Format_RGB32 || input.format() == QImage::Format_ARGB32
                             ? input
                             : input.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    auto pixel = [&](int x, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]; };
    auto rowUniform = [&](int y, int x0, int x1, QRgb reference) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = x0; x < x1; ++x)
            if (!near(row[x], reference, tolerance))
                return false;
        return true;
    };
    auto columnUniform = [&](int x, int y0, int y1, QRgb reference) {
        for (int y = y0; y < y1; ++y)
            if (!near(pixel(x, y), reference, tolerance))
                return false;
        return true;
    };

    // Margins are what a capture brought along around its subject, so they
    // run all the way round in one colour: all four corners must agree.
    // A subject that reaches a corner (a title bar, a sidebar) keeps every
    // side, since its own single-colour rows would look like a margin.
    const QRgb margin = pixel(0, 0);
    for (const QRgb corner : {pixel(w - 1, 0), pixel(0, h - 1), pixel(w - 1, h - 1)})
        if (!near(corner, margin, tolerance))
            return image.rect();

    int top = 0;
    while (top < h && rowUniform(top, 0, w, margin))
        ++top;
    if (top == h)
        return image.rect();
    int bottom = h;
    while (bottom > top + 1 && rowUniform(bottom - 1, 0, w, margin))
        --bottom;
    int left = 0;
    while (left < w - 1 && columnUniform(left, top, bottom, margin))
        ++left;
    int right = w;
    while (right > left + 1 && columnUniform(right - 1, top, bottom, margin))
        --right;
    return QRect(left, top, right - left, bottom - top);
}

} // namespace lustrelab
