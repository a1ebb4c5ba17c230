#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace lustrelab {

// The canvas backdrop: the window colour with faint grey squares on every
// other cell, so transparent parts of an image read as transparent. Only whole
// cells are drawn; a strip narrower than a square stays plain at the right and
// bottom edges.
struct CheckerboardPattern
{
    double squareSize = 12;

    void paint(QPainter& painter, const QRectF& area, const QColor& background) const;
    static QColor cellColor();
};

} // namespace lustrelab
