#include "checkerboard_pattern.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace lustrelab {

QColor CheckerboardPattern::cellColor()
{
    QColor grey(128, 128, 128);
    grey.setAlphaF(0.1f);
    return grey;
}

void CheckerboardPattern::paint(QPainter& painter, const QRectF& area, const QColor& background) const
{
    painter.fillRect(area, background);
    if (!(squareSize > 0))
        return;
    const int rows = int(std::floor(area.height() / squareSize));
    const int columns = int(std::floor(area.width() / squareSize));
    // One path for every cell, filled once: overlapping antialiased edges would
    // otherwise darken, and one fill is far cheaper than thousands.
    QPainterPath cells;
    for (int row = 0; row < rows; ++row)
        for (int column = row % 2; column < columns; column += 2)
            cells.addRect(area.left() + column * squareSize, area.top() + row * squareSize, squareSize,
                          squareSize);
    painter.fillPath(cells, cellColor());
}

} // namespace lustrelab
