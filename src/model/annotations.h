#pragma once

#include "pen_stroke.h"
#include "removal_area.h"
#include "shape_overlay.h"
#include "step_marker.h"
#include "text_overlay.h"
#include "unit_geometry.h"

#include <QList>
#include <QUuid>
#include <optional>

namespace lustrelab {

// Every kind of annotation a document can carry. The list of each kind, with
// the key it has in files, is named once, in forEachAnnotationList below.
enum class AnnotationKind { text, shape, removal, marker, stroke };

// One annotation of a document, by kind and id: what the editor has selected.
// Being one value, two selections at once cannot be represented.
struct AnnotationRef
{
    AnnotationKind kind = AnnotationKind::text;
    QUuid id;
    friend bool operator==(const AnnotationRef&, const AnnotationRef&) = default;
};

// What a user has drawn over one screenshot, and the part of it that is
// styled. The lists are drawn in list order, each kind in its layer; the crop
// is in unit coordinates of the screenshot (y from its bottom edge); none
// means all of it. The screenshot itself is never changed by either.
struct Annotations
{
    QList<TextOverlay> textOverlays;
    QList<ShapeOverlay> shapeOverlays;
    QList<RemovalArea> removalAreas;
    QList<StepMarker> stepMarkers; // numbered in list order
    QList<PenStroke> penStrokes;
    std::optional<UnitRect> crop;

    // Whether the annotation `ref` names is in its list.
    bool contains(const AnnotationRef& ref) const;
    // Removes it; false, and nothing changed, when it is not there.
    bool remove(const AnnotationRef& ref);

    friend bool operator==(const Annotations&, const Annotations&) = default;
};

// The table of annotation kinds: calls `f(kind, key, list)` for each list of
// `annotations` (an Annotations, const or not), with the key the list has in
// the annotations and project files. Code that treats every kind alike goes
// through here, so that a kind added is a line added.
template <typename Self, typename F> void forEachAnnotationList(Self& annotations, F&& f)
{
    f(AnnotationKind::text, "textOverlays", annotations.textOverlays);
    f(AnnotationKind::shape, "shapeOverlays", annotations.shapeOverlays);
    f(AnnotationKind::removal, "removalAreas", annotations.removalAreas);
    f(AnnotationKind::marker, "stepMarkers", annotations.stepMarkers);
    f(AnnotationKind::stroke, "penStrokes", annotations.penStrokes);
}

} // namespace lustrelab
