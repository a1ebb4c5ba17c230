#pragma once

#include "model/text_overlay.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;
class QPaintDevice;

namespace lustrelab {

// The interaction layer's stand-in for one text annotation: an invisible
// rectangle that takes clicks and drags, outlined while selected. Geometry is
// relative to the image frame's top-left corner; `canvasSize` is the frame's size.
struct TextSelectionHandle
{
    TextOverlay overlay;
    bool isSelected = false;
    QSizeF canvasSize;
    // The frame's points per point of the composed image, and the composed
    // image, whose resolution sets the text's font. Without them the text's
    // size is guessed from its length.
    double imageScale = 0;
    const QPaintDevice* image = nullptr;

    static constexpr double minimumWidth = 60;
    static constexpr double widthPerCharacter = 8;
    static constexpr double height = 28;
    // Around the glyphs, in points of the composed image: as far as a text's
    // background reaches.
    static constexpr double marginX = 8, marginY = 4;

    // Centred on the text's position; wide enough to grab even an empty text.
    // With the image's scale it covers the text as drawn (turned with it),
    // so the outline follows what is written; else it is 28 high and 8 wide
    // per character.
    QRectF hitRect() const;
    // The selection frame; nothing when not selected.
    void paint(QPainter& painter, const QColor& accent) const;
};

// Characters as a reader counts them (an emoji with its modifiers is one).
int visibleCharacterCount(const QString& text);

} // namespace lustrelab
