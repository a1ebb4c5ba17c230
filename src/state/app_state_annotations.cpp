// AppState's annotation and styling operations. Every operation here that can
// be undone takes its snapshot before changing anything; updates made while
// dragging or typing take none, so undo skips over them to the last real edit.

#include "app_state.h"

namespace lustrelab {

namespace {

template <typename Record> bool replaceById(QList<Record>& list, const Record& record)
{
    for (Record& existing : list)
        if (existing.id == record.id) {
            existing = record;
            return true;
        }
    return false;
}

} // namespace

// ---- Text.

void AppState::addTextOverlay()
{
    saveToHistory();
    const TextOverlay overlay; // a new id and the look of a fresh annotation
    QList<TextOverlay> overlays = currentTextOverlays();
    overlays.append(overlay);
    setCurrentTextOverlays(overlays);
    setSelectedTextOverlayId(overlay.id);
    setSelectedShapeOverlayId(std::nullopt);
    processImage();
}

void AppState::updateTextOverlay(const TextOverlay& overlay)
{
    QList<TextOverlay> overlays = currentTextOverlays();
    if (!replaceById(overlays, overlay))
        return;
    setCurrentTextOverlays(overlays);
    processImage();
}

void AppState::deleteTextOverlay(const TextOverlay& overlay)
{
    saveToHistory();
    QList<TextOverlay> overlays = currentTextOverlays();
    overlays.removeIf([&](const TextOverlay& o) { return o.id == overlay.id; });
    setCurrentTextOverlays(overlays);
    if (m_selectedTextOverlayId == overlay.id)
        setSelectedTextOverlayId(std::nullopt);
    processImage();
}

void AppState::deleteSelectedTextOverlay()
{
    if (const auto selected = selectedTextOverlay())
        deleteTextOverlay(*selected);
}

// ---- Shapes.

void AppState::addShapeOverlay(std::optional<ShapeType> type)
{
    saveToHistory();
    ShapeOverlay overlay; // a new id and the look of a fresh shape
    overlay.shapeType = type.value_or(m_currentShapeType);
    QList<ShapeOverlay> overlays = currentShapeOverlays();
    overlays.append(overlay);
    setCurrentShapeOverlays(overlays);
    setSelectedShapeOverlayId(overlay.id);
    setSelectedTextOverlayId(std::nullopt);
    processImage();
}

void AppState::updateShapeOverlay(const ShapeOverlay& overlay)
{
    QList<ShapeOverlay> overlays = currentShapeOverlays();
    if (!replaceById(overlays, overlay))
        return;
    setCurrentShapeOverlays(overlays);
    processImage();
}

void AppState::deleteShapeOverlay(const ShapeOverlay& overlay)
{
    saveToHistory();
    QList<ShapeOverlay> overlays = currentShapeOverlays();
    overlays.removeIf([&](const ShapeOverlay& o) { return o.id == overlay.id; });
    setCurrentShapeOverlays(overlays);
    if (m_selectedShapeOverlayId == overlay.id)
        setSelectedShapeOverlayId(std::nullopt);
    processImage();
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
    areas.removeIf([&](const RemovalArea& a) { return a.id == id; });
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
