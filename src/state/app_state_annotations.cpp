// AppState's annotation and styling operations. Every operation here that can
// be undone takes its snapshot before changing anything; updates made while
// dragging or typing take none, so undo skips over them to the last real edit.

#include "app_state.h"
#include "model/id_lookup.h"

namespace lustrelab {

namespace {

// Texts and shapes are added and updated alike; they differ only in their
// list and their kind.
template <typename Record> struct ListOf;

template <> struct ListOf<TextOverlay>
{
    static constexpr auto list = &Annotations::textOverlays;
    static constexpr auto kind = AnnotationKind::text;
};

template <> struct ListOf<ShapeOverlay>
{
    static constexpr auto list = &Annotations::shapeOverlays;
    static constexpr auto kind = AnnotationKind::shape;
};

} // namespace

template <typename Record> void AppState::addAnnotation(const Record& record)
{
    if (!currentTab())
        return;
    saveToHistory();
    editAnnotations([&](Annotations& a) { (a.*ListOf<Record>::list).append(record); });
    selectAnnotation(ListOf<Record>::kind, record.id);
    processImage();
}

template <typename Record> void AppState::updateAnnotation(const Record& record)
{
    Annotations annotations = currentAnnotations();
    if (!replaceById(annotations.*ListOf<Record>::list, record))
        return;
    editAnnotations([&](Annotations& a) { a = annotations; });
    processImage();
}

void AppState::deleteAnnotation(const AnnotationRef& ref)
{
    Annotations annotations = currentAnnotations();
    if (!currentTab() || !annotations.contains(ref))
        return;
    saveToHistory();
    // The markers keep their first number; deleting the first marker hands
    // its number to the next.
    const int firstMarker = annotations.stepMarkers.isEmpty() ? 1 : annotations.stepMarkers.first().number;
    annotations.remove(ref);
    if (ref.kind == AnnotationKind::marker)
        annotations.stepMarkers = renumberedMarkers(annotations.stepMarkers, firstMarker);
    editAnnotations([&](Annotations& a) { a = annotations; });
    if (m_selection == ref)
        clearSelection();
    processImage();
}

void AppState::deleteSelectedAnnotation()
{
    if (m_selection)
        deleteAnnotation(*m_selection);
}

// ---- Text.

void AppState::addTextOverlay()
{
    insertTextOverlay(freshTextOverlay()); // a new id and the look of a fresh annotation
}

void AppState::insertTextOverlay(const TextOverlay& overlay)
{
    if (!currentTab())
        return;
    addAnnotation(overlay);
}

void AppState::updateTextOverlay(const TextOverlay& overlay)
{
    updateAnnotation(overlay);
}

void AppState::deleteTextOverlay(const TextOverlay& overlay)
{
    deleteAnnotation({AnnotationKind::text, overlay.id});
}

void AppState::deleteSelectedTextOverlay()
{
    if (const auto selected = selectedTextOverlay())
        deleteTextOverlay(*selected);
}

// ---- Shapes.

void AppState::addShapeOverlay(std::optional<ShapeType> type)
{
    // A new id and the look of a fresh shape of that type.
    addShapeOverlay(freshShape(type.value_or(m_currentShapeType)));
}

void AppState::addShapeOverlay(const ShapeOverlay& overlay)
{
    addAnnotation(overlay);
}

void AppState::addShapeOverlays(const QList<ShapeOverlay>& overlays)
{
    if (overlays.isEmpty() || !currentTab())
        return;
    saveToHistory();
    editAnnotations([&](Annotations& a) { a.shapeOverlays += overlays; });
    selectAnnotation(AnnotationKind::shape, overlays.first().id);
    processImage();
}

void AppState::updateShapeOverlay(const ShapeOverlay& overlay)
{
    updateAnnotation(overlay);
}

void AppState::deleteShapeOverlay(const ShapeOverlay& overlay)
{
    deleteAnnotation({AnnotationKind::shape, overlay.id});
}

void AppState::deleteSelectedShapeOverlay()
{
    if (const auto selected = selectedShapeOverlay())
        deleteShapeOverlay(*selected);
}

// ---- Removal areas.

void AppState::addRemovalArea(const UnitRect& rect, RemovalMethod method)
{
    if (!currentTab())
        return;
    saveToHistory();
    RemovalArea area;
    area.rect = rect;
    area.method = method;
    editAnnotations([&](Annotations& a) { a.removalAreas.append(area); });
    processImage();
}

void AppState::deleteRemovalArea(const QUuid& id)
{
    deleteAnnotation({AnnotationKind::removal, id});
}

// ---- Styling.

void AppState::applyTemplate(const Template& chosen)
{
    if (!currentTab())
        return;
    saveToHistory();
    setSettings(chosen.settings);
    processImage();
}

void AppState::resetSettings()
{
    if (!currentTab())
        return;
    saveToHistory();
    setSettings(BeautySettings{});
    processImage();
}

} // namespace lustrelab
