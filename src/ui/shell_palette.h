#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace lustrelab::shell {

// The few colour and type roles the window chrome uses, derived from the
// active palette and application font so that light and dark desktop themes
// both read well.

// The highlight colour the desktop uses for selection.
inline QColor accentColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

// Text and symbols of lesser weight. Each window keeps this role readable on
// its background (readable_text.h).
inline QColor secondaryColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::PlaceholderText);
}

inline QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

// Font sizes relative to the desktop's body font.
inline QFont scaledFont(QFont font, double factor, QFont::Weight weight = QFont::Normal)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, int(font.pixelSize() * factor + 0.5)));
    font.setWeight(weight);
    return font;
}

inline QFont captionFont(const QFont& body)
{
    return scaledFont(body, 0.85);
}

inline QFont titleFont(const QFont& body, QFont::Weight weight = QFont::Normal)
{
    return scaledFont(body, 1.35, weight);
}

} // namespace lustrelab::shell
