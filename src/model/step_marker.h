#pragma once

#include "codable_color.h"
#include "unit_geometry.h"

#include <QList>
#include <QUuid>
#include <optional>

namespace lustrelab {

// A numbered circle that marks one step of a walk-through. The markers of a
// tab count up in list order (placement order): the first carries the start
// number the user chose and each later one the next number, so deleting one
// closes the gap (renumberedMarkers).
struct StepMarker
{
    QUuid id = QUuid::createUuid();
    UnitPoint position{0.5, 0.5}; // centre, unit coordinates of the composed image
    int number = 1;
    CodableColor color{0.8, 0.1, 0.1, 1}; // fill; the number is black or white, whichever reads better
    double size = 32;                     // diameter in points
    // Where a pointed tail ends, when the marker points at something.
    std::optional<UnitPoint> tailPoint;

    friend bool operator==(const StepMarker&, const StepMarker&) = default;
};

// `markers` numbered consecutively in list order from `first`.
QList<StepMarker> renumberedMarkers(QList<StepMarker> markers, int first);

// The number the next marker placed on a tab gets: one after the last, or
// `start` on a tab without markers.
int nextMarkerNumber(const QList<StepMarker>& markers, int start);

} // namespace lustrelab
