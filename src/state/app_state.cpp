#include "app_state.h"

#include "model/id_lookup.h"
#include "text_actions.h"

#include <algorithm>
#include <utility>

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

AppState::AppState(PreferencesStore& preferences, const QString& templatesDirectory, QObject* parent)
    : AppState(nullptr, &preferences, templatesDirectory, parent)
{
}

AppState::AppState(const QString& templatesDirectory, QObject* parent)
    : AppState(std::make_unique<PreferencesStore>(), nullptr, templatesDirectory, parent)
{
}

AppState::AppState(std::unique_ptr<PreferencesStore> own, PreferencesStore* shared,
                   const QString& templatesDirectory, QObject* parent)
    : QObject(parent), m_ownPreferences(std::move(own)), m_preferences(shared ? *shared : *m_ownPreferences),
      m_templateManager(templatesDirectory), m_userGradients(templatesDirectory)
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
    m_livePause.setSingleShot(true);
    m_livePause.setInterval(250);
    connect(&m_livePause, &QTimer::timeout, this, [this] { requestComposition(false); });
    connect(&m_quickCapture, &QuickCapture::openRequested, this,
            [this](const QImage& capture) { loadImage(capture, true); });
    connect(&m_quickCapture, &QuickCapture::pinRequested, &m_screenPins, &ScreenPins::pin);
    m_screenPins.setCopyHandler([this](const QImage& image) { m_clipboardService.writeImage(image); });
}

AppState::~AppState() = default;

// ---- Plain property writes: notify, nothing else.

const BeautySettings& AppState::settings() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->document.settings : m_noTabSettings;
}

void AppState::setSettings(const BeautySettings& settings)
{
    ScreenshotTab* tab = mutableCurrentTab();
    if (!tab || settings == tab->document.settings)
        return;
    tab->document.settings = settings;
    emit settingsChanged();
}

void AppState::setSelection(const std::optional<AnnotationRef>& selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    emit selectionChanged();
}

std::optional<QUuid> AppState::selectedId(AnnotationKind kind) const
{
    return m_selection && m_selection->kind == kind ? std::optional(m_selection->id) : std::nullopt;
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

Annotations AppState::currentAnnotations() const
{
    const ScreenshotTab* tab = currentTab();
    return tab ? tab->document.annotations : Annotations{};
}

QList<TextOverlay> AppState::currentTextOverlays() const
{
    return currentAnnotations().textOverlays;
}

void AppState::setCurrentTextOverlays(const QList<TextOverlay>& overlays)
{
    editAnnotations([&](Annotations& a) { a.textOverlays = overlays; });
}

QList<ShapeOverlay> AppState::currentShapeOverlays() const
{
    return currentAnnotations().shapeOverlays;
}

void AppState::setCurrentShapeOverlays(const QList<ShapeOverlay>& overlays)
{
    editAnnotations([&](Annotations& a) { a.shapeOverlays = overlays; });
}

QList<RemovalArea> AppState::currentRemovalAreas() const
{
    return currentAnnotations().removalAreas;
}

void AppState::setCurrentRemovalAreas(const QList<RemovalArea>& areas)
{
    editAnnotations([&](Annotations& a) { a.removalAreas = areas; });
}

QList<StepMarker> AppState::currentStepMarkers() const
{
    return currentAnnotations().stepMarkers;
}

void AppState::setCurrentStepMarkers(const QList<StepMarker>& markers)
{
    editAnnotations([&](Annotations& a) { a.stepMarkers = markers; });
}

QList<PenStroke> AppState::currentPenStrokes() const
{
    return currentAnnotations().penStrokes;
}

void AppState::setCurrentPenStrokes(const QList<PenStroke>& strokes)
{
    editAnnotations([&](Annotations& a) { a.penStrokes = strokes; });
}

std::optional<StepMarker> AppState::selectedStepMarker() const
{
    const auto id = selectedId(AnnotationKind::marker);
    const ScreenshotTab* tab = currentTab();
    return tab && id ? findById(tab->annotations().stepMarkers, *id) : std::nullopt;
}

std::optional<PenStroke> AppState::selectedPenStroke() const
{
    const auto id = selectedId(AnnotationKind::stroke);
    const ScreenshotTab* tab = currentTab();
    return tab && id ? findById(tab->annotations().penStrokes, *id) : std::nullopt;
}

std::optional<TextOverlay> AppState::selectedTextOverlay() const
{
    const auto id = selectedId(AnnotationKind::text);
    const ScreenshotTab* tab = currentTab();
    return tab && id ? findById(tab->annotations().textOverlays, *id) : std::nullopt;
}

std::optional<ShapeOverlay> AppState::selectedShapeOverlay() const
{
    const auto id = selectedId(AnnotationKind::shape);
    const ScreenshotTab* tab = currentTab();
    return tab && id ? findById(tab->annotations().shapeOverlays, *id) : std::nullopt;
}

// ---- Tabs.

ScreenshotTab& AppState::appendTab(const QString& name, const QImage& image)
{
    ScreenshotTab tab;
    tab.name = name.isEmpty() ? defaultTabName(tab.createdAt) : name;
    tab.document.settings = settings(); // the styling the user has been working with
    tab.document.screenshot = image;
    tab.document.devicePixelRatio = image.isNull() ? 1.0 : image.devicePixelRatio();
    m_currentTabId = tab.id;
    m_tabs.append(std::move(tab));
    return m_tabs.last();
}

void AppState::newTab()
{
    const BeautySettings before = settings();
    appendTab({});
    clearSelection();
    forgetHistory();
    emit tabsChanged();
    emit currentTabIdChanged();
    if (settings() != before)
        emit settingsChanged();
}

void AppState::selectTab(const QUuid& id)
{
    if (!recordWithId(m_tabs, id))
        return;
    const BeautySettings before = settings();
    m_currentTabId = id;
    clearSelection();
    forgetHistory();
    emit currentTabIdChanged();
    if (settings() != before)
        emit settingsChanged();
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
    const BeautySettings before = settings();
    removeById(m_tabs, id);
    if (closingCurrent) {
        m_currentTabId = m_tabs.last().id;
        // The history and the selection belonged to the closed tab: an undo
        // would otherwise write its overlays into the tab that took its place.
        clearSelection();
        forgetHistory();
    }
    emit tabsChanged();
    if (closingCurrent)
        emit currentTabIdChanged();
    if (settings() != before)
        emit settingsChanged();
}

// ---- History.

HistoryState AppState::snapshot() const
{
    if (const ScreenshotTab* tab = currentTab())
        return {tab->document, m_markerStartNumber};
    HistoryState none;
    none.document.settings = m_noTabSettings;
    none.markerStartNumber = m_markerStartNumber;
    return none;
}

void AppState::restore(const HistoryState& state)
{
    const Document& document = state.document;
    setSettings(document.settings);
    if (ScreenshotTab* tab = mutableCurrentTab(); tab && tab->document.annotations != document.annotations) {
        tab->document.annotations = document.annotations;
        emit tabsChanged();
    }
    // Compared by identity, not pixel by pixel: a copy shares its original's key.
    if (const ScreenshotTab* tab = currentTab();
        tab && !document.screenshot.isNull() &&
        tab->document.screenshot.cacheKey() != document.screenshot.cacheKey())
        setSourceImage(document.screenshot);
    writeMarkerStartNumber(state.markerStartNumber);
}

void AppState::forgetHistory()
{
    m_editStart.reset();
    m_historyManager.clear();
}

void AppState::beginEdit()
{
    if (!m_editStart)
        m_editStart = snapshot();
}

void AppState::commit()
{
    if (!m_editStart)
        return;
    const HistoryState start = *std::exchange(m_editStart, std::nullopt);
    if (start != snapshot())
        m_historyManager.saveState(start);
}

void AppState::saveToHistory()
{
    if (!m_editStart) // an open edit's start already holds the state before this change
        m_historyManager.saveState(snapshot());
}

void AppState::undo()
{
    commit();
    if (const auto state = m_historyManager.undo(snapshot())) {
        restore(*state);
        processImage();
    }
}

void AppState::redo()
{
    commit();
    if (const auto state = m_historyManager.redo(snapshot())) {
        restore(*state);
        processImage();
    }
}

} // namespace lustrelab
