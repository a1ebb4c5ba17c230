#pragma once

// What the marker, pen and highlighter tools do, as plain functions of plain
// values like canvas_interaction.h: canvas points and the image frame in,
// records out.
//
// Sizes stored in the records (a marker's diameter, a stroke's width) are in
// points of the composed image; the canvas shows that image scaled by
// `scale` = frame width / image width, so on screen they are `scale` times
// as large.

#include "canvas_interaction.h"
#include "model/pen_stroke.h"
#include "model/step_marker.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>

namespace lustrelab::canvas {

// A pen path keeps the points that depart from it by more than this, in
// canvas points: below what a pointer can mean, above its jitter.
inline constexpr double strokeTolerance = 0.4;
// Thin strokes and small markers still take a press this far off, in canvas points.
inline constexpr double markGrabReach = 6;

// A marker placed by a press at `press`: a click (`dragged` false) places it
// there, a drag also points its tail at `release`. Both clamped to the image.
// The look (colour, size) comes from `look`; its number is AppState's to give.
std::optional<StepMarker> markerFromGesture(QPointF press, QPointF release, bool dragged, const QRectF& frame,
                                            const StepMarker& look);

// A stroke along the pointer's path (canvas points), simplified within
// strokeTolerance and clamped to the image, with the look of `look`.
// Nothing without a frame or a path.
std::optional<PenStroke> strokeFromPath(const QList<QPointF>& path, const QRectF& frame,
                                        const PenStroke& look);

// What the next marker or stroke of a tab looks like: the last one of its
// kind on the tab, so a colour chosen for one carries on to the next; a fresh
// one on a tab without.
StepMarker nextMarkerLook(const QList<StepMarker>& markers);
PenStroke nextStrokeLook(const QList<PenStroke>& strokes, bool highlighter);

// A marker or stroke moved by `translation` canvas points from where it was
// when the move began. It moves as a whole: the move stops where any of its
// points would leave the image, rather than squeezing it.
StepMarker movedMarker(const StepMarker& start, QPointF translation, QSizeF frameSize);
PenStroke movedStroke(const PenStroke& start, QPointF translation, QSizeF frameSize);

// The same for a move given in unit coordinates (the keyboard's nudges).
UnitPoint limitedOffset(const QList<UnitPoint>& points, UnitPoint offset);

// The topmost marker or stroke under `point` (relative to the frame's
// top-left corner): markers above strokes, later ones above earlier ones. A
// marker takes presses on its circle and tail, a stroke along its path
// within half its width (never less than markGrabReach).
CanvasHit hitTestMarks(QPointF point, QSizeF frameSize, double scale, const QList<StepMarker>& markers,
                       const QList<PenStroke>& strokes);

} // namespace lustrelab::canvas
