#pragma once

#include "model/beauty_settings.h"
#include "model/pen_stroke.h"
#include "model/removal_area.h"
#include "model/shape_overlay.h"
#include "model/step_marker.h"
#include "model/text_overlay.h"

#include <QImage>
#include <QList>
#include <optional>

namespace lustrelab {

// One undo step: the whole styling record and the current tab's annotation
// lists, copied. It carries no tab identity, so it is applied to whichever tab
// is current when it comes back (switching tabs clears the history).
//
// The tab's screenshot is part of it, because a paste replaces it while
// keeping everything else. QImage shares its pixels, so fifty snapshots of
// one screenshot cost one screenshot; only a replaced one is kept alive.
struct HistoryState
{
    BeautySettings settings;
    QList<TextOverlay> textOverlays;
    QList<ShapeOverlay> shapeOverlays;
    QList<RemovalArea> removalAreas;
    QList<StepMarker> stepMarkers;
    QList<PenStroke> penStrokes;
    std::optional<UnitRect> crop;
    // None when the tab had no screenshot: restoring that leaves the present
    // one, so an edit made on an empty tab never takes a later paste away.
    std::optional<QImage> sourceImage;
    // The number the tab's step markers count from: changing it renumbers them.
    int markerStartNumber = 1;

    friend bool operator==(const HistoryState&, const HistoryState&) = default;
};

} // namespace lustrelab
