#include "app_state.h"

#include "model/id_lookup.h"
#include "text_actions.h"

#include <algorithm>

namespace lustrelab {

namespace {

// The change signal of each section, in the order of PreferencesStore::Section.
constexpr std::array<void (AppState::*)(bool), PreferencesStore::SectionCount> sectionChanged{
    &AppState::captureCollapsedChanged, &AppState::canvasCollapsedChanged,
    &AppState::deviceCollapsedChanged,  &AppState::backgroundCollapsedChanged,
    &AppState::cornersCollapsedChanged, &AppState::shadowCollapsedChanged,
    &AppState::paddingCollapsedChanged, &AppState::textCollapsedChanged,
    &AppState::shapesCollapsedChanged,  &AppState::exportCollapsedChanged,
};

} // namespace

AppState::AppState(const QString& templatesDirectory, QObject* parent)
    : QObject(parent), m_templateManager(templatesDirectory), m_userGradients(templatesDirectory)
{
    m_textActions = std::make_unique<TextActions>(*this);
    ScreenshotTab first;
    first.name = QStringLiteral("New Tab");
    m_currentTabId = first.id;
    m_tabs.append(std::move(first));

    for (int i = 0; i < PreferencesStore::SectionCount; ++i)
        m_collapsed[i] = m_preferences.sectionCollapsed(Section(i));

    connect(&m_exports, &ExportQueue::finished, this, &AppState::exportFinished);
    connect(&m_compositions, &CompositionQueue::composed, this, &AppState::storeComposition);
    connect(&m_compositions, &CompositionQueue::busyChanged, this, &AppState::setIsProcessing);
    m_liveStylingPause.setSingleShot(true);
    m_liveStylingPause.setInterval(250);
    connect(&m_liveStylingPause, &QTimer::timeout, this, [this] { requestComposition(false); });
    connect(&m_quickCapture, &QuickCapture::openRequested, this,
            [this](const QImage& capture) { loadImage(capture, true); });
    connect(&m_quickCapture, &QuickCapture::pinRequested, &m_screenPins, &ScreenPins::pin);
    m_screenPins.setCopyHandler([this](const QImage& image) { m_clipboardService.writeImage(image); });
}

AppState::~AppState() = default;

// ---- Plain property writes: notify, nothing else.

void AppState::setSettings(const BeautySettings& settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    emit settingsChanged();
}

void AppState::setSelectedTextOverlayId(std::optional<QUuid> id)
{
    if (id == m_selectedTextOverlayId)
        return;
    m_selectedTextOverlayId = id;
    emit selectedTextOverlayIdChanged();
}

void AppState::setSelectedShapeOverlayId(std::optional<QUuid> id)
{
    if (id == m_selectedShapeOverlayId)
        return;
    m_selectedShapeOverlayId = id;
    emit selectedShapeOverlayIdChanged();
}

void AppState::setSelectedStepMarkerId(std::optional<QUuid> id)
{
    if (id == m_selectedStepMarkerId)
        return;
    m_selectedStepMarkerId = id;
    emit selectedStepMarkerIdChanged();
}

void AppState::setSelectedPenStrokeId(std::optional<QUuid> id)
{
    if (id == m_selectedPenStrokeId)
        return;
    m_selectedPenStrokeId = id;
    emit selectedPenStrokeIdChanged();
}

void AppState::writeMarkerStartNumber(int number)
{
    number = std::max(0, number);
    if (number == m_markerStartNumber)
        return;
    m_markerStartNumber = number;
    emit markerStartNumberChanged(number);
}

void AppState::setShowExportDialog(bool show)
{
    if (show == m_showExportDialog)
        return;
    m_showExportDialog = show;
    emit showExportDialogChanged(show);
}

void AppState::setShowSaveTemplateDialog(bool show)
{
    if (show == m_showSaveTemplateDialog)
        return;
    m_showSaveTemplateDialog = show;
    emit showSaveTemplateDialogChanged(show);
}

void AppState::setIsProcessing(bool processing)
{
    if (processing == m_isProcessing)
        return;
    m_isProcessing = processing;
    emit isProcessingChanged(processing);
}

void AppState::setCurrentTool(CanvasTool tool)
{
    if (tool == m_currentTool)
        return;
    m_currentTool = tool;
    emit currentToolChanged(tool);
}

void AppState::setCurrentShapeType(ShapeType type)
{
    if (type == m_currentShapeType)
        return;
    m_currentShapeType = type;
    emit currentShapeTypeChanged(type);
}

void AppState::setCollapsed(Section section, bool collapsed)
{
    if (collapsed == m_collapsed[section])
        return;
    m_collapsed[section] = collapsed;
    m_preferences.setSectionCollapsed(section, collapsed);
    emit(this->*sectionChanged[section])(collapsed);
}

void AppState::selectAnnotation(AnnotationKind kind, const QUuid& id)
{
    using Select = void (AppState::*)(std::optional<QUuid>);
    const std::pair<AnnotationKind, Select> selections[] = {
        {AnnotationKind::text, &AppState::setSelectedTextOverlayId},
        {AnnotationKind::shape, &AppState::setSelectedShapeOverlayId},
        {AnnotationKind::marker, &AppState::setSelectedStepMarkerId},
        {AnnotationKind::stroke, &AppState::setSelectedPenStrokeId},
    };
    // The new selection first, then the others cleared: a view that follows
    // the signals never sees nothing selected in between.
    for (const auto& [k, select] : selections)
        if (k == kind)
            (this->*select)(id);
    for (const auto& [k, select] : selections)
        if (k != kind)
            (this->*select)(std::nullopt);
}

void AppState::clearSelection()
{
    setSelectedTextOverlayId(std::nullopt);
    setSelectedShapeOverlayId(std::nullopt);
    setSelectedStepMarkerId(std::nullopt);
    setSelectedPenStrokeId(std::nullopt);
}

// ---- Derived properties.

std::optional<qsizetype> AppState::currentTabIndex() const
{
    if (m_tabs.isEmpty())
        return std::nullopt;
    const ScreenshotTab* tab = recordWithId(m_tabs, m_currentTabId.value_or(m_tabs.first().id));
    return tab ? std::optional<qsizetype>(tab - m_tabs.data()) : std::nullopt;
}

const ScreenshotTab* AppState::currentTab() const
{
    const auto index = currentTabIndex();
    return index ? &m_tabs[*index] : nullptr;
}

ScreenshotTab* AppState::mutableCurrentTab()
{
    const auto index = currentTabIndex();
    return index ? &m_tabs[*index] : nullptr;
}

QList<TextOverlay> AppState::currentTextOverlays() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->textOverlays : QList<TextOverlay>{};
}

void AppState::setCurrentTextOverlays(const QList<TextOverlay>& overlays)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->textOverlays = overlays;
        emit tabsChanged();
    }
}

QList<ShapeOverlay> AppState::currentShapeOverlays() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->shapeOverlays : QList<ShapeOverlay>{};
}

void AppState::setCurrentShapeOverlays(const QList<ShapeOverlay>& overlays)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->shapeOverlays = overlays;
        emit tabsChanged();
    }
}

QList<RemovalArea> AppState::currentRemovalAreas() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->removalAreas : QList<RemovalArea>{};
}

void AppState::setCurrentRemovalAreas(const QList<RemovalArea>& areas)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->removalAreas = areas;
        emit tabsChanged();
    }
}

QList<StepMarker> AppState::currentStepMarkers() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->stepMarkers : QList<StepMarker>{};
}

void AppState::setCurrentStepMarkers(const QList<StepMarker>& markers)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->stepMarkers = markers;
        emit tabsChanged();
    }
}

QList<PenStroke> AppState::currentPenStrokes() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->penStrokes : QList<PenStroke>{};
}

void AppState::setCurrentPenStrokes(const QList<PenStroke>& strokes)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->penStrokes = strokes;
        emit tabsChanged();
    }
}

std::optional<StepMarker> AppState::selectedStepMarker() const
{
    const ScreenshotTab* tab = currentTab();
    return tab && m_selectedStepMarkerId ? findById(tab->stepMarkers, *m_selectedStepMarkerId) : std::nullopt;
}

std::optional<PenStroke> AppState::selectedPenStroke() const
{
    const ScreenshotTab* tab = currentTab();
    return tab && m_selectedPenStrokeId ? findById(tab->penStrokes, *m_selectedPenStrokeId) : std::nullopt;
}

std::optional<TextOverlay> AppState::selectedTextOverlay() const
{
    const ScreenshotTab* tab = currentTab();
    return tab && m_selectedTextOverlayId ? findById(tab->textOverlays, *m_selectedTextOverlayId)
                                          : std::nullopt;
}

std::optional<ShapeOverlay> AppState::selectedShapeOverlay() const
{
    const ScreenshotTab* tab = currentTab();
    return tab && m_selectedShapeOverlayId ? findById(tab->shapeOverlays, *m_selectedShapeOverlayId)
                                           : std::nullopt;
}

// ---- Tabs.

void AppState::newTab()
{
    ScreenshotTab tab;
    tab.name = defaultTabName(tab.createdAt);
    m_currentTabId = tab.id;
    m_tabs.append(std::move(tab));
    clearSelection();
    m_historyManager.clear();
    emit tabsChanged();
    emit currentTabIdChanged();
}

void AppState::selectTab(const QUuid& id)
{
    if (!recordWithId(m_tabs, id))
        return;
    m_currentTabId = id;
    clearSelection();
    m_historyManager.clear();
    emit currentTabIdChanged();
}

void AppState::selectTabAround(qsizetype index)
{
    if (m_tabs.isEmpty())
        return;
    const qsizetype count = m_tabs.size();
    const QUuid id = m_tabs[(index % count + count) % count].id;
    if (id != m_currentTabId) // selecting it again would drop the selection and history
        selectTab(id);
}

void AppState::closeTab(const QUuid& id)
{
    if (m_tabs.size() < 2)
        return;
    const bool closingCurrent = m_currentTabId == id;
    removeById(m_tabs, id);
    if (closingCurrent) {
        m_currentTabId = m_tabs.last().id;
        // The history and the selection belonged to the closed tab: an undo
        // would otherwise write its overlays into the tab that took its place.
        clearSelection();
        m_historyManager.clear();
    }
    emit tabsChanged();
    if (closingCurrent)
        emit currentTabIdChanged();
}

// ---- History.

HistoryState AppState::snapshot() const
{
    const ScreenshotTab* tab = currentTab();
    return {m_settings,
            currentTextOverlays(),
            currentShapeOverlays(),
            currentRemovalAreas(),
            currentStepMarkers(),
            currentPenStrokes(),
            currentCrop(),
            tab ? tab->sourceImage : std::nullopt,
            m_markerStartNumber};
}

void AppState::restore(const HistoryState& state)
{
    setSettings(state.settings);
    setCurrentTextOverlays(state.textOverlays);
    setCurrentShapeOverlays(state.shapeOverlays);
    setCurrentRemovalAreas(state.removalAreas);
    setCurrentStepMarkers(state.stepMarkers);
    setCurrentPenStrokes(state.penStrokes);
    if (ScreenshotTab* tab = mutableCurrentTab(); tab && tab->crop != state.crop) {
        tab->crop = state.crop;
        emit tabsChanged();
    }
    // Compared by identity, not pixel by pixel: a copy shares its original's key.
    if (const ScreenshotTab* tab = currentTab();
        tab && state.sourceImage &&
        (!tab->sourceImage || tab->sourceImage->cacheKey() != state.sourceImage->cacheKey()))
        setSourceImage(state.sourceImage);
    writeMarkerStartNumber(state.markerStartNumber);
}

void AppState::saveToHistory()
{
    m_historyManager.saveState(snapshot());
}

void AppState::undo()
{
    if (const auto state = m_historyManager.undo(snapshot())) {
        restore(*state);
        processImage();
    }
}

void AppState::redo()
{
    if (const auto state = m_historyManager.redo(snapshot())) {
        restore(*state);
        processImage();
    }
}

} // namespace lustrelab
