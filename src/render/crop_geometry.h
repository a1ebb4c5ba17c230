#pragma once

// A tab's crop: the part of its screenshot that is styled, as a rectangle in
// unit coordinates of the whole screenshot (x from its left edge, y from its
// BOTTOM edge, like every unit rectangle). The screenshot itself is never
// changed, so a crop can be widened again or undone.
//
// Annotations are stored in unit coordinates of the composed canvas, whose
// size and layout follow the cropped screenshot. When the crop changes they
// are carried over (remapForCrop) so that each stays over the same pixels of
// the screenshot. Example: a 400 x 300 screenshot with padding 0, cropped to
// its left half: the canvas point at unit (0.5, 0.5) of the whole screenshot
// is at unit (1, 0.5) of the cropped one.

#include "model/beauty_settings.h"
#include "model/unit_geometry.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace lustrelab {

// The crop in whole pixels of `image`, inside it; empty when nothing is left.
QRect cropPixels(const QImage& image, const UnitRect& crop);

// The cropped copy, at the image's device pixel ratio; the image itself when
// the crop keeps all of it or nothing.
QImage croppedImage(const QImage& image, const UnitRect& crop);

// The crop clamped into the screenshot (a crop beyond it keeps what overlaps).
UnitRect clampedCrop(const UnitRect& crop);

// Where, in Qt's y-down points of the composed canvas, the screenshot (the
// part a crop keeps) lies, and the canvas's size: what a composition of a
// screenshot of `screenshotPoints` under `crop` and `settings` lays out.
// Device frames grow around the screenshot; their bezel is counted as part
// of it, which places an annotation on a framed screenshot to within the
// bezel's width.
struct CropLayout
{
    QSizeF canvasSize;
    QRectF screenshotRect;
    UnitRect crop; // the crop in effect (the whole screenshot without one)
};
CropLayout cropLayout(QSizeF screenshotPoints, const std::optional<UnitRect>& crop,
                      const BeautySettings& settings);

// Where annotations show on a canvas whose screenshot is cropped (Qt's y-down
// points): everywhere but over the part of the screenshot the crop cut away,
// wherever that part would lie were it still there. An annotation carried
// over onto cut-away content thus ends at the edge of the cropped screenshot,
// as if the annotated screenshot itself had been cut, while one put in the
// padding beside an edge the crop left alone stays whole. `screenshotRect` is
// where the kept part lies; nothing when `crop` keeps the whole screenshot or
// nothing of it.
std::optional<QPainterPath> annotationArea(QSizeF canvasSize, const QRectF& screenshotRect,
                                           const UnitRect& crop);

// A unit point of the canvas laid out as `before`, as a unit point of the
// canvas laid out as `after`, over the same pixel of the screenshot.
UnitPoint remapForCrop(UnitPoint point, const CropLayout& before, const CropLayout& after);

} // namespace lustrelab
