#pragma once

#include "image_change.h"
#include "pen_stroke.h"
#include "removal_area.h"
#include "shape_overlay.h"
#include "step_marker.h"
#include "text_overlay.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace lustrelab {

// One open document. Held in memory only; tabs are never persisted.
struct ScreenshotTab
{
    QUuid id = QUuid::createUuid();
    QString name;
    std::optional<QImage> sourceImage;    // absent for an empty tab
    std::optional<QImage> processedImage; // absent until composed
    // How processedImage differs from the one it replaced; none when unknown.
    std::optional<ImageChange> processedChange;
    // While a gesture is in progress: a composition at about the canvas's
    // resolution, newer than processedImage and shown instead of it.
    std::optional<QImage> previewImage;
    // How previewImage differs from the preview it replaced; none when unknown.
    std::optional<ImageChange> previewChange;
    QList<TextOverlay> textOverlays;
    QList<ShapeOverlay> shapeOverlays;
    QList<RemovalArea> removalAreas;
    QList<StepMarker> stepMarkers; // numbered in list order
    QList<PenStroke> penStrokes;
    // The part of sourceImage that is styled, in its unit coordinates (y up);
    // none: all of it. The source itself stays whole.
    std::optional<UnitRect> crop;
    QDateTime createdAt = QDateTime::currentDateTime();

    // What the canvas shows, and how it differs from what it showed before.
    const std::optional<QImage>& shownImage() const { return previewImage ? previewImage : processedImage; }
    std::optional<ImageChange> shownChange() const { return previewImage ? previewChange : processedChange; }
};

// "Screenshot HH:mm:ss" in local time. Names are not made unique.
QString defaultTabName(const QDateTime& createdAt = QDateTime::currentDateTime());

} // namespace lustrelab
