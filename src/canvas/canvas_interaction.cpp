#include "canvas_interaction.h"

#include "canvas_coordinates.h"
#include "removal_area_handle.h"
#include "shape_selection_handle.h"
#include "text_selection_handle.h"

#include <QLineF>

namespace lustrelab::canvas {

namespace {

bool hasArea(const QRectF& frame)
{
    return frame.width() > 0 && frame.height() > 0;
}

UnitPoint clamped(UnitPoint p)
{
    return {clampUnit(p.x), clampUnit(p.y)};
}

} // namespace

bool passedThreshold(QPointF from, QPointF to, double threshold)
{
    return QLineF(from, to).length() >= threshold;
}

std::optional<ShapeOverlay> shapeFromDrag(QPointF start, QPointF end, const QRectF& frame, ShapeType type)
{
    if (!hasArea(frame))
        return std::nullopt;
    // A new id and the look a shape of this kind is added with anywhere else:
    // one look for all would dim a spotlight's surroundings to black.
    ShapeOverlay shape = freshShape(type);
    shape.startPoint = canvasToUnit(start, frame);
    shape.endPoint = canvasToUnit(end, frame);
    return shape;
}

std::optional<UnitRect> removalRectFromDrag(QPointF start, QPointF end, const QRectF& frame)
{
    if (!hasArea(frame))
        return std::nullopt;
    const UnitPoint s = canvasToUnit(start, frame);
    const UnitPoint e = canvasToUnit(end, frame);
    const UnitRect rect{std::min(s.x, e.x), std::min(s.y, e.y), std::abs(e.x - s.x), std::abs(e.y - s.y)};
    if (!(rect.width > minimumRemovalSide && rect.height > minimumRemovalSide))
        return std::nullopt;
    return rect;
}

UnitPoint movedTextPosition(UnitPoint start, QPointF translation, QSizeF frameSize)
{
    const UnitPoint offset = translationToUnit(translation, frameSize);
    return clamped({start.x + offset.x, start.y + offset.y});
}

std::pair<UnitPoint, UnitPoint> movedShapePoints(std::pair<UnitPoint, UnitPoint> start, QPointF translation,
                                                 QSizeF frameSize)
{
    const UnitPoint offset = translationToUnit(translation, frameSize);
    return {clamped({start.first.x + offset.x, start.first.y + offset.y}),
            clamped({start.second.x + offset.x, start.second.y + offset.y})};
}

CanvasHit hitTest(QPointF point, QSizeF frameSize, const QList<TextOverlay>& texts,
                  const QList<ShapeOverlay>& shapes, const QList<RemovalArea>& removals,
                  bool withRemovalAreas, double imageScale, const QPaintDevice* image)
{
    if (withRemovalAreas)
        for (auto it = removals.crbegin(); it != removals.crend(); ++it)
            if (RemovalAreaHandle{*it, frameSize}.hitRect().contains(point))
                return {CanvasHit::removal, it->id};
    for (auto it = shapes.crbegin(); it != shapes.crend(); ++it)
        if (ShapeSelectionHandle{*it, false, frameSize}.hitRect().contains(point))
            return {CanvasHit::shape, it->id};
    for (auto it = texts.crbegin(); it != texts.crend(); ++it)
        if (TextSelectionHandle{*it, false, frameSize, imageScale, image}.hitRect().contains(point))
            return {CanvasHit::text, it->id};
    return {};
}

} // namespace lustrelab::canvas
