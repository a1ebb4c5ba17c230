#pragma once

#include "codable_color.h"
#include "unit_geometry.h"

#include <QList>
#include <QUuid>

namespace lustrelab {

// A freehand line: the pointer's path as a polyline in unit coordinates of
// the composed image, already simplified, drawn as a smooth curve through its
// points. A highlighter stroke is the same record drawn wide and multiplied
// with what lies below, so dark text under it stays dark.
struct PenStroke
{
    QUuid id = QUuid::createUuid();
    QList<UnitPoint> points;
    bool highlighter = false;
    CodableColor color{1, 0, 0, 1};
    double width = 4; // points
    double opacity = 1;

    friend bool operator==(const PenStroke&, const PenStroke&) = default;
};

// A stroke as the editor starts one: a red 4-point pen, or a yellow
// highlighter 18 points wide at 0.5.
PenStroke freshPenStroke(bool highlighter);

} // namespace lustrelab
