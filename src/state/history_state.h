#pragma once

#include "model/beauty_settings.h"
#include "model/pen_stroke.h"
#include "model/removal_area.h"
#include "model/shape_overlay.h"
#include "model/step_marker.h"
#include "model/text_overlay.h"

#include <QList>

namespace lustrelab {

// One undo step: the whole styling record and the current tab's annotation
// lists, copied. It carries no tab identity and no images, so it is applied to
// whichever tab is current when it comes back, and fifty of them stay small.
struct HistoryState
{
    BeautySettings settings;
    QList<TextOverlay> textOverlays;
    QList<ShapeOverlay> shapeOverlays;
    QList<RemovalArea> removalAreas;
    QList<StepMarker> stepMarkers;
    QList<PenStroke> penStrokes;
    std::optional<UnitRect> crop;

    friend bool operator==(const HistoryState&, const HistoryState&) = default;
};

} // namespace lustrelab
