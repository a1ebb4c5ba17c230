#include "pen_stroke.h"
#include "shape_overlay.h"
#include "step_marker.h"
#include "text_overlay.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace lustrelab {

ShapeOverlay freshShape(ShapeType type)
{
    ShapeOverlay shape;
    shape.shapeType = type;
    if (type == ShapeType::redact) {
        shape.fillColor = CodableColor{0, 0, 0, 1};
    } else if (type == ShapeType::spotlight) {
        shape.opacity = 0.6;
    }
    return shape;
}

TextOverlay freshTextOverlay()
{
    TextOverlay text;
    // The family actually drawn: the platform may name its UI font by an
    // alias ("Sans Serif") that the font menu would show as a stand-in. None
    // at all (no font configuration) leaves the record's name.
    const QString family = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    if (!family.isEmpty())
        text.fontName = family;
    return text;
}

PenStroke freshPenStroke(bool highlighter)
{
    PenStroke stroke;
    stroke.highlighter = highlighter;
    if (highlighter) {
        stroke.color = {1, 0.85, 0, 1};
        stroke.width = 18;
        stroke.opacity = 0.5;
    }
    return stroke;
}

QList<StepMarker> renumberedMarkers(QList<StepMarker> markers, int first)
{
    for (qsizetype i = 0; i < markers.size(); ++i)
        markers[i].number = first + int(i);
    return markers;
}

int nextMarkerNumber(const QList<StepMarker>& markers, int start)
{
    return markers.isEmpty() ? start : markers.last().number + 1;
}

} // namespace lustrelab
