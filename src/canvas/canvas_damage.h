#pragma once

#include "model/image_change.h"
#include "model/screenshot_tab.h"

#include <QList>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QUuid>
#include <optional>

namespace lustrelab::canvas {

// What the canvas shows of a tab, in the view's points: the composed image
// in its frame and the outlines and frames drawn over it. Two of these tell
// which part of the view a model change has to repaint, so that a drag on a
// large screen does not repaint the whole view on every step.
struct ShownScene
{
    qint64 imageKey = 0; // 0: no image shown
    QSize imagePixels;
    QRectF frame;
    QList<QRectF> overlays; // every rectangle an outline or frame may touch
};

// The frame drawn around a selected step marker or pen stroke, relative to
// the image frame's top-left corner; `scale` is the frame's points per point
// of the composed image.
QRectF markerFrame(const StepMarker& marker, QSizeF frameSize, double scale);
QRectF strokeFrame(const PenStroke& stroke, QSizeF frameSize, double scale);

// What a paint of `tab` in `frame` shows, with a frame drawn around the
// annotation `framed` (none while a text is being edited: its field replaces it).
ShownScene sceneOf(const ScreenshotTab& tab, const std::optional<AnnotationRef>& framed, const QRectF& frame,
                   double scale);

// The part of `view` to repaint when `before` is on screen and `after` is to
// be shown; `change` tells how after's image follows before's. Without a
// change that links the two images, all of it; when the image moved or
// changed its size, both its frames (and the outlines of both scenes).
QRegion damagedRegion(const ShownScene& before, const ShownScene& after,
                      const std::optional<ImageChange>& change, const QRect& view);

} // namespace lustrelab::canvas
