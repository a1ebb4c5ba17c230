// AppState's crop: a rectangle of the tab's screenshot kept for styling. The
// composed canvas changes size with it, and the annotations, stored in unit
// coordinates of that canvas, are carried over to stay on the same content.

#include "app_state.h"
#include "base/logical_size.h"
#include "render/crop_geometry.h"

namespace lustrelab {

namespace {

// Every point an annotation has, moved from one crop's canvas to another's.
template <typename Map> void remapAnnotations(Annotations& annotations, Map map)
{
    for (TextOverlay& text : annotations.textOverlays)
        text.position = map(text.position);
    for (ShapeOverlay& shape : annotations.shapeOverlays) {
        shape.startPoint = map(shape.startPoint);
        shape.endPoint = map(shape.endPoint);
    }
    for (RemovalArea& area : annotations.removalAreas) {
        const UnitPoint a = map({area.rect.x, area.rect.y});
        const UnitPoint b = map({area.rect.x + area.rect.width, area.rect.y + area.rect.height});
        area.rect = {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
    }
    for (StepMarker& marker : annotations.stepMarkers) {
        marker.position = map(marker.position);
        if (marker.tailPoint)
            marker.tailPoint = map(*marker.tailPoint);
    }
    for (PenStroke& stroke : annotations.penStrokes)
        for (UnitPoint& p : stroke.points)
            p = map(p);
}

} // namespace

std::optional<UnitRect> AppState::currentCrop() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->annotations().crop : std::nullopt;
}

void AppState::setCrop(const std::optional<UnitRect>& requested)
{
    ScreenshotTab* tab = mutableCurrentTab();
    if (!tab || !tab->hasImage())
        return;
    std::optional<UnitRect> crop;
    if (requested) {
        crop = clampedCrop(*requested);
        if (cropPixels(tab->document.screenshot, *crop).isEmpty())
            return;
        if (*crop == UnitRect{0, 0, 1, 1})
            crop.reset(); // the whole screenshot is no crop
    }
    Annotations& annotations = tab->document.annotations;
    if (crop == annotations.crop)
        return;
    saveToHistory();
    const QImage& source = tab->document.screenshot;
    const QSizeF points = logicalSize(source);
    const CropLayout before = cropLayout(points, annotations.crop, tab->document.settings);
    const CropLayout after = cropLayout(points, crop, tab->document.settings);
    remapAnnotations(annotations, [&](UnitPoint p) { return remapForCrop(p, before, after); });
    annotations.crop = crop;
    emit tabsChanged();
    processImage();
}

} // namespace lustrelab
