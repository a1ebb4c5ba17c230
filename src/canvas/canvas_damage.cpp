#include "canvas_damage.h"

#include "removal_area_handle.h"
#include "render/pen_stroke_painter.h"
#include "render/step_marker_painter.h"
#include "shape_selection_handle.h"
#include "text_selection_handle.h"

#include <cmath>

namespace lustrelab::canvas {

namespace {

// Outlines are stroked 2 points wide on their rectangle and antialiased: a
// point and a half reaches out of it; one more for rounding to pixels.
constexpr double outlineReach = 3;

// The view pixels a rectangle of points covers, rounded outwards.
QRect coveredPixels(const QRectF& points)
{
    const int left = int(std::floor(points.left())), top = int(std::floor(points.top()));
    const int right = int(std::ceil(points.right())), bottom = int(std::ceil(points.bottom()));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

QRectF markerFrame(const StepMarker& marker, QSizeF frameSize, double scale)
{
    StepMarker shown = marker;
    shown.size *= scale;
    return stepMarkerOutline(shown, frameSize.width(), frameSize.height())
        .boundingRect()
        .adjusted(-3, -3, 3, 3);
}

QRectF strokeFrame(const PenStroke& stroke, QSizeF frameSize, double scale)
{
    const double reach = stroke.width * scale / 2 + 3;
    return penStrokePath(stroke, frameSize.width(), frameSize.height())
        .boundingRect()
        .adjusted(-reach, -reach, reach, reach);
}

ShownScene sceneOf(const ScreenshotTab& tab, const std::optional<AnnotationRef>& framed, const QRectF& frame,
                   double scale)
{
    ShownScene scene;
    if (!tab.shownImage() || frame.isEmpty())
        return scene;
    scene.imageKey = tab.shownImage()->cacheKey();
    scene.imagePixels = tab.shownImage()->size();
    scene.frame = frame;
    const QSizeF size = frame.size();
    auto add = [&](const QRectF& inFrame) {
        scene.overlays.append(inFrame.translated(frame.topLeft())
                                  .adjusted(-outlineReach, -outlineReach, outlineReach, outlineReach));
    };
    const auto isFramed = [&](AnnotationKind kind, const QUuid& id) {
        return framed == AnnotationRef{kind, id};
    };
    for (const TextOverlay& text : tab.annotations().textOverlays)
        if (isFramed(AnnotationKind::text, text.id))
            add(TextSelectionHandle{text, true, size, scale, &*tab.shownImage()}.hitRect());
    for (const ShapeOverlay& shape : tab.annotations().shapeOverlays)
        if (isFramed(AnnotationKind::shape, shape.id))
            add(ShapeSelectionHandle{shape, true, size}.hitRect());
    for (const RemovalArea& area : tab.annotations().removalAreas)
        add(RemovalAreaHandle{area, size}.hitRect());
    for (const StepMarker& marker : tab.annotations().stepMarkers)
        if (isFramed(AnnotationKind::marker, marker.id))
            add(markerFrame(marker, size, scale));
    for (const PenStroke& stroke : tab.annotations().penStrokes)
        if (isFramed(AnnotationKind::stroke, stroke.id))
            add(strokeFrame(stroke, size, scale));
    return scene;
}

QRegion damagedRegion(const ShownScene& before, const ShownScene& after,
                      const std::optional<ImageChange>& change, const QRect& view)
{
    if (before.imageKey == 0 || after.imageKey == 0)
        return view;
    QRegion damage;
    if (before.frame != after.frame || before.imagePixels != after.imagePixels) {
        // The image moved or changed its size (a Padding drag): what lies
        // outside both frames is the backdrop, fixed to the view, and stays.
        // A point more for the edges' rounding to device pixels.
        damage += coveredPixels(before.frame.adjusted(-1, -1, 1, 1));
        damage += coveredPixels(after.frame.adjusted(-1, -1, 1, 1));
        for (const QRectF& r : before.overlays)
            damage += coveredPixels(r);
        for (const QRectF& r : after.overlays)
            damage += coveredPixels(r);
        return damage.intersected(view);
    }
    if (after.imageKey != before.imageKey) {
        if (!change || change->since != before.imageKey)
            return view;
        // The changed pixels of the composed image, in view points. The
        // display's filter carries a change up to a pixel of the composed
        // image and three of the screen further (ImageDisplayBuffer).
        const double sx = after.frame.width() / after.imagePixels.width();
        const double sy = after.frame.height() / after.imagePixels.height();
        constexpr double filterReach = 4;
        for (const QRect& r : change->area) {
            const QRectF points(after.frame.left() + (r.left() - 2) * sx,
                                after.frame.top() + (r.top() - 2) * sy, (r.width() + 4) * sx,
                                (r.height() + 4) * sy);
            damage += coveredPixels(points.adjusted(-filterReach, -filterReach, filterReach, filterReach));
        }
    }
    // An outline that stays where it was needs no repaint of its own: where
    // the image beneath it changed, that repaint draws it again.
    for (const QRectF& r : before.overlays)
        if (!after.overlays.contains(r))
            damage += coveredPixels(r);
    for (const QRectF& r : after.overlays)
        if (!before.overlays.contains(r))
            damage += coveredPixels(r);
    return damage.intersected(view);
}

} // namespace lustrelab::canvas
