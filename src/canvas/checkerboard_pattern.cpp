#include "checkerboard_pattern.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace lustrelab {

QColor CheckerboardPattern::cellColor()
{
    QColor grey(128, 128, 128);
    grey.setAlphaF(0.1f);
    return grey;
}

namespace {

bool isWhole(double value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

} // namespace

void CheckerboardPattern::paint(QPainter& painter, const QRectF& area, const QColor& background) const
{
    const int rows = squareSize > 0 ? int(std::floor(area.height() / squareSize)) : 0;
    const int columns = squareSize > 0 ? int(std::floor(area.width() / squareSize)) : 0;
    if (rows <= 0 || columns <= 0) {
        painter.fillRect(area, background);
        return;
    }
    const QRectF cells(area.topLeft(), QSizeF(columns * squareSize, rows * squareSize));
    // Where cells fall on whole device pixels (any integer or half ratio), a
    // tile of two by two cells is repeated: a large canvas on a 2x screen
    // took tens of milliseconds to fill as one path, the tile a few. The tile
    // carries the background too, so the cells are copied rather than blended
    // over a fill, and nothing the size of the view has to be kept for speed.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF origin = painter.transform().map(cells.topLeft()) * ratio;
    if (painter.transform().type() <= QTransform::TxTranslate && isWhole(squareSize * ratio) &&
        isWhole(origin.x()) && isWhole(origin.y())) {
        const int cell = int(std::round(squareSize * ratio));
        QPixmap tile(2 * cell, 2 * cell);
        tile.fill(background);
        QPainter tilePainter(&tile);
        tilePainter.fillRect(0, 0, cell, cell, cellColor());
        tilePainter.fillRect(cell, cell, cell, cell, cellColor());
        tilePainter.end();
        tile.setDevicePixelRatio(ratio);
        // The strips of cut-off cells at the right and bottom stay plain.
        if (cells.right() < area.right())
            painter.fillRect(QRectF(QPointF(cells.right(), area.top()), area.bottomRight()), background);
        if (cells.bottom() < area.bottom())
            painter.fillRect(QRectF(QPointF(area.left(), cells.bottom()), QPointF(cells.right(), area.bottom())),
                             background);
        painter.drawTiledPixmap(cells, tile);
        return;
    }
    painter.fillRect(area, background);
    // One path for every cell, filled once: overlapping antialiased edges would
    // otherwise darken, and one fill is far cheaper than thousands.
    QPainterPath path;
    for (int row = 0; row < rows; ++row)
        for (int column = row % 2; column < columns; column += 2)
            path.addRect(area.left() + column * squareSize, area.top() + row * squareSize, squareSize, squareSize);
    painter.fillPath(path, cellColor());
}

} // namespace lustrelab
