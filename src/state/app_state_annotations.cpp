// AppState's annotation and styling operations. Every operation here that can
// be undone takes its snapshot before changing anything; updates made while
// dragging or typing take none, so undo skips over them to the last real edit.

#include "app_state.h"
#include "model/id_lookup.h"

namespace lustrelab {

namespace {

// Texts and shapes are edited alike; they differ only in the list and the
// selection an operation touches. Selecting one kind clears the others, so at
// most one annotation is selected.
template <typename Record> struct Annotations;

template <> struct Annotations<TextOverlay>
{
    static constexpr auto list = &AppState::currentTextOverlays;
    static constexpr auto setList = &AppState::setCurrentTextOverlays;
    static constexpr auto selectedId = &AppState::selectedTextOverlayId;
    static constexpr auto select = &AppState::setSelectedTextOverlayId;
    static constexpr auto kind = AppState::AnnotationKind::text;
};

template <> struct Annotations<ShapeOverlay>
{
    static constexpr auto list = &AppState::currentShapeOverlays;
    static constexpr auto setList = &AppState::setCurrentShapeOverlays;
    static constexpr auto selectedId = &AppState::selectedShapeOverlayId;
    static constexpr auto select = &AppState::setSelectedShapeOverlayId;
    static constexpr auto kind = AppState::AnnotationKind::shape;
};

template <typename Record> void addAnnotation(AppState& state, const Record& record)
{
    using A = Annotations<Record>;
    state.saveToHistory();
    QList<Record> records = (state.*A::list)();
    records.append(record);
    (state.*A::setList)(records);
    state.selectAnnotation(A::kind, record.id);
    state.processImage();
}

template <typename Record> void updateAnnotation(AppState& state, const Record& record)
{
    using A = Annotations<Record>;
    QList<Record> records = (state.*A::list)();
    if (!replaceById(records, record))
        return;
    (state.*A::setList)(records);
    state.processImage();
}

template <typename Record> void deleteAnnotation(AppState& state, const QUuid& id)
{
    using A = Annotations<Record>;
    state.saveToHistory();
    QList<Record> records = (state.*A::list)();
    removeById(records, id);
    (state.*A::setList)(records);
    if ((state.*A::selectedId)() == id)
        (state.*A::select)(std::nullopt);
    state.processImage();
}

} // namespace

// ---- Text.

void AppState::addTextOverlay()
{
    insertTextOverlay(freshTextOverlay()); // a new id and the look of a fresh annotation
}

void AppState::insertTextOverlay(const TextOverlay& overlay)
{
    if (!currentTab())
        return;
    addAnnotation(*this, overlay);
}

void AppState::updateTextOverlay(const TextOverlay& overlay)
{
    updateAnnotation(*this, overlay);
}

void AppState::deleteTextOverlay(const TextOverlay& overlay)
{
    deleteAnnotation<TextOverlay>(*this, overlay.id);
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
    addAnnotation(*this, overlay);
}

void AppState::addShapeOverlays(const QList<ShapeOverlay>& overlays)
{
    if (overlays.isEmpty() || !currentTab())
        return;
    saveToHistory();
    setCurrentShapeOverlays(currentShapeOverlays() + overlays);
    setSelectedShapeOverlayId(overlays.first().id);
    processImage();
}

void AppState::updateShapeOverlay(const ShapeOverlay& overlay)
{
    updateAnnotation(*this, overlay);
}

void AppState::deleteShapeOverlay(const ShapeOverlay& overlay)
{
    deleteAnnotation<ShapeOverlay>(*this, overlay.id);
}

void AppState::deleteSelectedShapeOverlay()
{
    if (const auto selected = selectedShapeOverlay())
        deleteShapeOverlay(*selected);
}

// ---- Removal areas.

void AppState::addRemovalArea(const UnitRect& rect, RemovalMethod method)
{
    saveToHistory();
    RemovalArea area;
    area.rect = rect;
    area.method = method;
    QList<RemovalArea> areas = currentRemovalAreas();
    areas.append(area);
    setCurrentRemovalAreas(areas);
    processImage();
}

void AppState::deleteRemovalArea(const QUuid& id)
{
    saveToHistory();
    QList<RemovalArea> areas = currentRemovalAreas();
    removeById(areas, id);
    setCurrentRemovalAreas(areas);
    processImage();
}

// ---- Styling.

void AppState::applyTemplate(const Template& chosen)
{
    saveToHistory();
    setSettings(chosen.settings);
    processImage();
}

void AppState::resetSettings()
{
    saveToHistory();
    setSettings(BeautySettings{});
    processImage();
}

} // namespace lustrelab
