#pragma once

#include "model/text_overlay.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace lustrelab {

// The interaction layer's stand-in for one text annotation: an invisible
// rectangle that takes clicks and drags, outlined while selected. Geometry is
// relative to the image frame's top-left corner; `canvasSize` is the frame's size.
struct TextSelectionHandle
{
    TextOverlay overlay;
    bool isSelected = false;
    QSizeF canvasSize;

    static constexpr double minimumWidth = 60;
    static constexpr double widthPerCharacter = 8;
    static constexpr double height = 28;

    // Centred on the text's position; wide enough to grab even an empty text.
    QRectF hitRect() const;
    // The selection frame; nothing when not selected.
    void paint(QPainter& painter, const QColor& accent) const;
};

// Characters as a reader counts them (an emoji with its modifiers is one).
int visibleCharacterCount(const QString& text);

} // namespace lustrelab
