#include "model_debug.h"

#include "model_json.h"

namespace lustrelab {

namespace {

QDebug& operator<<(QDebug& debug, const std::optional<CodableColor>& color)
{
    if (color)
        debug << *color;
    else
        debug << "none";
    return debug;
}

} // namespace

QDebug operator<<(QDebug debug, const UnitPoint& point)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << '(' << point.x << ", " << point.y << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const UnitRect& rect)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << '(' << rect.x << ", " << rect.y << ' ' << rect.width << 'x' << rect.height << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const CodableColor& color)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "rgba(" << color.red << ", " << color.green << ", " << color.blue << ", "
                    << color.opacity << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const TextOverlay& text)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TextOverlay(" << text.id.toString(QUuid::WithoutBraces) << ' ' << text.text << " at "
                    << text.position << ' ' << text.fontName << ' ' << text.fontSize << ' '
                    << rawValue(text.fontWeight) << " colour " << text.textColor << " background "
                    << text.backgroundColor << (text.isRedacted ? " redacted" : "") << " rotation "
                    << text.rotation << " opacity " << text.opacity << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const ShapeOverlay& shape)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ShapeOverlay(" << shape.id.toString(QUuid::WithoutBraces) << ' '
                    << rawValue(shape.shapeType) << ' ' << shape.startPoint << " to " << shape.endPoint
                    << " stroke " << shape.strokeColor << ' ' << shape.strokeWidth << " fill "
                    << shape.fillColor << " opacity " << shape.opacity << " arrow "
                    << rawValue(shape.arrowStyle) << " cell " << shape.cellSize << " spotlight "
                    << rawValue(shape.spotlightShape) << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const StepMarker& marker)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "StepMarker(" << marker.id.toString(QUuid::WithoutBraces) << " #" << marker.number
                    << " at " << marker.position << ' ' << marker.color << " size " << marker.size;
    if (marker.tailPoint)
        debug << " tail " << *marker.tailPoint;
    debug << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const PenStroke& stroke)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "PenStroke(" << stroke.id.toString(QUuid::WithoutBraces)
                    << (stroke.highlighter ? " highlighter " : " pen ") << stroke.color << " width "
                    << stroke.width << " opacity " << stroke.opacity << ' ' << stroke.points.size()
                    << " points";
    if (!stroke.points.isEmpty())
        debug << " from " << stroke.points.first() << " to " << stroke.points.last();
    debug << ')';
    return debug;
}

QDebug operator<<(QDebug debug, const RemovalArea& area)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "RemovalArea(" << area.id.toString(QUuid::WithoutBraces) << ' ' << area.rect << ' '
                    << rawValue(area.method) << ')';
    return debug;
}

// Every field, in the order templates store them.
QDebug operator<<(QDebug debug, const BeautySettings& settings)
{
    QDebugStateSaver saver(debug);
    debug.noquote().nospace() << "BeautySettings" << QString::fromStdString(toJson(settings).dump());
    return debug;
}

} // namespace lustrelab
