#pragma once

#include "composition_queue.h"
#include "export_queue.h"
#include "history_manager.h"
#include "io/capture_countdown.h"
#include "io/clipboard_service.h"
#include "io/export_service.h"
#include "io/screen_capture_service.h"
#include "io/screen_pins.h"
#include "model/annotations.h"
#include "model/beauty_settings.h"
#include "model/canvas_tool.h"
#include "model/document.h"
#include "model/screenshot_tab.h"
#include "preferences_store.h"
#include "quick_capture.h"
#include "render/image_processor.h"
#include "scrolling_capture.h"
#include "template_manager.h"
#include "user_gradients.h"

#include <QImage>
#include <QList>
#include <QMimeData>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <array>
#include <optional>

namespace lustrelab {

// The one application model: open tabs, the styling record, selection and tool
// state, dialog flags, panel fold flags, and the services. Views read it and
// change documents only through its operations. Created once by main and
// handed to whoever needs it; it is used from the UI thread only.
//
// Every property write emits its change signal. Edits to tab contents (images,
// annotation lists) emit tabsChanged. Operations whose preconditions are
// missing (no current tab, unknown id, empty history) do nothing.
class TextActions;

class AppState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(std::optional<QUuid> currentTabId READ currentTabId NOTIFY currentTabIdChanged)
    Q_PROPERTY(std::optional<lustrelab::AnnotationRef> selection READ selection WRITE setSelection NOTIFY
                   selectionChanged)
    Q_PROPERTY(int markerStartNumber READ markerStartNumber WRITE setMarkerStartNumber NOTIFY
                   markerStartNumberChanged)
    Q_PROPERTY(
        bool showExportDialog READ showExportDialog WRITE setShowExportDialog NOTIFY showExportDialogChanged)
    Q_PROPERTY(bool showSaveTemplateDialog READ showSaveTemplateDialog WRITE setShowSaveTemplateDialog NOTIFY
                   showSaveTemplateDialogChanged)
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(
        lustrelab::CanvasTool currentTool READ currentTool WRITE setCurrentTool NOTIFY currentToolChanged)
    Q_PROPERTY(lustrelab::ShapeType currentShapeType READ currentShapeType WRITE setCurrentShapeType NOTIFY
                   currentShapeTypeChanged)
    Q_PROPERTY(
        bool captureCollapsed READ captureCollapsed WRITE setCaptureCollapsed NOTIFY captureCollapsedChanged)
    Q_PROPERTY(
        bool canvasCollapsed READ canvasCollapsed WRITE setCanvasCollapsed NOTIFY canvasCollapsedChanged)
    Q_PROPERTY(
        bool deviceCollapsed READ deviceCollapsed WRITE setDeviceCollapsed NOTIFY deviceCollapsedChanged)
    Q_PROPERTY(bool backgroundCollapsed READ backgroundCollapsed WRITE setBackgroundCollapsed NOTIFY
                   backgroundCollapsedChanged)
    Q_PROPERTY(
        bool cornersCollapsed READ cornersCollapsed WRITE setCornersCollapsed NOTIFY cornersCollapsedChanged)
    Q_PROPERTY(
        bool shadowCollapsed READ shadowCollapsed WRITE setShadowCollapsed NOTIFY shadowCollapsedChanged)
    Q_PROPERTY(
        bool paddingCollapsed READ paddingCollapsed WRITE setPaddingCollapsed NOTIFY paddingCollapsedChanged)
    Q_PROPERTY(bool textCollapsed READ textCollapsed WRITE setTextCollapsed NOTIFY textCollapsedChanged)
    Q_PROPERTY(
        bool shapesCollapsed READ shapesCollapsed WRITE setShapesCollapsed NOTIFY shapesCollapsedChanged)
    Q_PROPERTY(
        bool exportCollapsed READ exportCollapsed WRITE setExportCollapsed NOTIFY exportCollapsedChanged)

  public:
    // An empty templatesDirectory means the per-user default (tests pass their own).
    // Every preference is read and set through `preferences`, the application's one store.
    AppState(PreferencesStore& preferences, const QString& templatesDirectory, QObject* parent = nullptr);
    // With a preferences store of its own, for a state that stands alone (tests).
    explicit AppState(const QString& templatesDirectory = {}, QObject* parent = nullptr);
    ~AppState() override;

    // ---- Services, owned for the whole life of the state.
    PreferencesStore& preferences() const { return m_preferences; }
    HistoryManager& historyManager() { return m_historyManager; }
    // Compositions use it on a worker thread: call it only while isProcessing()
    // is false.
    ImageProcessor& imageProcessor() { return m_imageProcessor; }
    TemplateManager& templateManager() { return m_templateManager; }
    UserGradients& userGradients() { return m_userGradients; }
    TextActions& textActions() { return *m_textActions; }
    const UserGradients& userGradients() const { return m_userGradients; }
    ClipboardService& clipboardService() { return m_clipboardService; }
    QuickCapture& quickCapture() { return m_quickCapture; }
    ExportService& exportService() { return m_exportService; }
    ScreenCaptureService& screenCaptureService() { return m_screenCaptureService; }
    // The wait of a delayed capture (the "Delay" preference).
    CaptureCountdown& captureCountdown() { return m_captureCountdown; }
    // The images pinned over the desktop.
    ScreenPins& screenPins() { return m_screenPins; }
    ScrollingCapture& scrollingCapture() { return m_scrollingCapture; }

    // ---- Observable properties.
    const QList<ScreenshotTab>& tabs() const { return m_tabs; }
    std::optional<QUuid> currentTabId() const { return m_currentTabId; }
    // The styling of the current tab: every tab has its own, and a tab made
    // in the window starts with the styling of the tab current at the time.
    // Without a current tab, the defaults.
    const BeautySettings& settings() const;
    // A direct write, as the styling panels make: no undo step and no
    // composition; call processImage() afterwards. Without a current tab,
    // nothing happens.
    void setSettings(const BeautySettings& settings);

    // The one selected annotation of the current tab, if any.
    std::optional<AnnotationRef> selection() const { return m_selection; }
    void setSelection(const std::optional<AnnotationRef>& selection);
    void selectAnnotation(AnnotationKind kind, const QUuid& id) { setSelection(AnnotationRef{kind, id}); }
    void clearSelection() { setSelection(std::nullopt); }
    // The selected id when the selection is of `kind`.
    std::optional<QUuid> selectedId(AnnotationKind kind) const;

    // The number the marker tool gives the first marker of a tab; later ones
    // count on from the last marker. Never below 0. Changing it renumbers the
    // current tab's markers from it and is an undo step; successive changes
    // with nothing else in between (a spin box stepped or typed into) make
    // one step together.
    int markerStartNumber() const { return m_markerStartNumber; }
    void setMarkerStartNumber(int number);

    bool showExportDialog() const { return m_showExportDialog; }
    void setShowExportDialog(bool show);
    bool showSaveTemplateDialog() const { return m_showSaveTemplateDialog; }
    void setShowSaveTemplateDialog(bool show);

    // True from a processImage() that found a source image until the last
    // composition asked for has stored its result.
    bool isProcessing() const { return m_isProcessing; }

    CanvasTool currentTool() const { return m_currentTool; }
    void setCurrentTool(CanvasTool tool);
    ShapeType currentShapeType() const { return m_currentShapeType; }
    void setCurrentShapeType(ShapeType type);

    // ---- Panel fold flags, kept in the preferences store and written on
    // every change.
    bool captureCollapsed() const { return m_collapsed[PreferencesStore::Capture]; }
    void setCaptureCollapsed(bool v) { setCollapsed(PreferencesStore::Capture, v); }
    bool canvasCollapsed() const { return m_collapsed[PreferencesStore::Canvas]; }
    void setCanvasCollapsed(bool v) { setCollapsed(PreferencesStore::Canvas, v); }
    bool deviceCollapsed() const { return m_collapsed[PreferencesStore::Device]; }
    void setDeviceCollapsed(bool v) { setCollapsed(PreferencesStore::Device, v); }
    bool backgroundCollapsed() const { return m_collapsed[PreferencesStore::Background]; }
    void setBackgroundCollapsed(bool v) { setCollapsed(PreferencesStore::Background, v); }
    bool cornersCollapsed() const { return m_collapsed[PreferencesStore::Corners]; }
    void setCornersCollapsed(bool v) { setCollapsed(PreferencesStore::Corners, v); }
    bool shadowCollapsed() const { return m_collapsed[PreferencesStore::Shadow]; }
    void setShadowCollapsed(bool v) { setCollapsed(PreferencesStore::Shadow, v); }
    bool paddingCollapsed() const { return m_collapsed[PreferencesStore::Padding]; }
    void setPaddingCollapsed(bool v) { setCollapsed(PreferencesStore::Padding, v); }
    bool textCollapsed() const { return m_collapsed[PreferencesStore::Text]; }
    void setTextCollapsed(bool v) { setCollapsed(PreferencesStore::Text, v); }
    bool shapesCollapsed() const { return m_collapsed[PreferencesStore::Shapes]; }
    void setShapesCollapsed(bool v) { setCollapsed(PreferencesStore::Shapes, v); }
    bool exportCollapsed() const { return m_collapsed[PreferencesStore::Export]; }
    void setExportCollapsed(bool v) { setCollapsed(PreferencesStore::Export, v); }

    // ---- Derived, computed on every read.
    // The tab named by currentTabId (the first tab when no id is set), or
    // nullptr. The pointer is valid until the next change of tabs.
    const ScreenshotTab* currentTab() const;
    std::optional<qsizetype> currentTabIndex() const;
    // The current tab's annotations (none without a current tab).
    Annotations currentAnnotations() const;
    // Reads give the current tab's list (empty without one); writes replace
    // it and do nothing without a current tab. No undo step, no composition.
    QList<TextOverlay> currentTextOverlays() const;
    void setCurrentTextOverlays(const QList<TextOverlay>& overlays);
    QList<ShapeOverlay> currentShapeOverlays() const;
    void setCurrentShapeOverlays(const QList<ShapeOverlay>& overlays);
    QList<RemovalArea> currentRemovalAreas() const;
    void setCurrentRemovalAreas(const QList<RemovalArea>& areas);
    QList<StepMarker> currentStepMarkers() const;
    void setCurrentStepMarkers(const QList<StepMarker>& markers);
    QList<PenStroke> currentPenStrokes() const;
    void setCurrentPenStrokes(const QList<PenStroke>& strokes);
    std::optional<TextOverlay> selectedTextOverlay() const;
    std::optional<ShapeOverlay> selectedShapeOverlay() const;
    std::optional<UnitRect> currentCrop() const;
    std::optional<StepMarker> selectedStepMarker() const;
    std::optional<PenStroke> selectedPenStroke() const;

    // ---- Tabs.
    void newTab();
    void selectTab(const QUuid& id);
    // The tab at `index` counted around the list in either direction, so that
    // one past the last is the first; the current tab stays as it is.
    void selectTabAround(qsizetype index);
    // Refuses to close the last tab; closing the current tab makes the last
    // tab current.
    void closeTab(const QUuid& id);

    // ---- Images.
    // For drops (newTab false: fills an empty current tab) and captures
    // (newTab true: always a new tab). Clears annotations, selection and
    // history, then composes. A null image is ignored. The tab that receives
    // the image is named after it: `fileName` for an image read from a file,
    // else "Screenshot HH:mm:ss" of now.
    void loadImage(const QImage& image, bool newTab, const QString& fileName = {});
    // Opens a whole document (a project read from a file) in a tab of its
    // own named `name`, made current, and composes it; an empty current tab
    // (no image) is replaced. With a `filePath`, the tab counts as saved
    // there. A document without a screenshot is ignored.
    void openDocument(const Document& document, const QString& name, const QString& filePath = {});
    // After `saved` (the tab's document as it was handed to the writer) was
    // written to `filePath`: the tab counts as saved there, as of that
    // document, and is named after the file. Nothing when the tab is gone.
    void markSaved(const QUuid& tabId, const QString& filePath, const Document& saved);
    // Puts back the tabs of an earlier session, in their order, with
    // `current` (an index into them) current, in place of the start tab when
    // that is still empty, else after the open tabs, and composes each. Tabs
    // without a screenshot are left out.
    void restoreTabs(const QList<ScreenshotTab>& tabs, qsizetype current);
    // Store into the current tab; nullopt or a null image leaves it without one.
    void setSourceImage(const std::optional<QImage>& image);
    void setProcessedImage(const std::optional<QImage>& image);
    // Composes the current tab on a worker thread from the source image,
    // settings and annotations as they are at the call, and stores the result,
    // on the event loop, in the tab it was asked for, even when another tab has
    // become current since. Results are stored in call order; a call replaces
    // an earlier one for the same tab that has not started yet, so a drag
    // never falls behind the pointer. Without a source image the tab's
    // composed image is cleared at once and nothing asked for it before is
    // stored.
    void processImage();

    // The device pixels the canvas has for the composed image.
    void setCanvasPixels(QSize devicePixels);
    // While a gesture is in progress (a styling slider dragged, an annotation
    // moved on the canvas), compositions are made at about the canvas's
    // pixels and kept as the tab's preview image; letting go composes at full
    // resolution, and so does a pause of the gesture, so that a control that
    // never reports its release cannot leave the tab's composition behind.
    void setLiveComposition(bool held);

    // ---- History.
    // One gesture (a drag on the canvas, a toggle in a panel) is one undo
    // step: beginEdit() before its first change, commit() after its last. The
    // step goes back to the document as beginEdit() found it; a gesture that
    // leaves the document as it was records none. A beginEdit() while an edit
    // is open keeps the earlier start, and commit() without one does nothing.
    // Operations that are an undo step of their own join an open edit rather
    // than adding a step. Whatever empties the history (another tab, a new
    // image) drops an open edit; undo() and redo() commit it first.
    void beginEdit();
    void commit();
    bool isEditing() const { return m_editStart.has_value(); }
    void saveToHistory();
    void undo();
    void redo();

    // ---- Text annotations.
    void addTextOverlay();
    // Adds a text placed elsewhere (the canvas's text tool), selected, as one undo step.
    void insertTextOverlay(const TextOverlay& overlay);
    void updateTextOverlay(const TextOverlay& overlay);
    void deleteTextOverlay(const TextOverlay& overlay);
    void deleteSelectedTextOverlay();

    // ---- Shape annotations.
    // Without a type, currentShapeType is used.
    void addShapeOverlay(std::optional<ShapeType> type = std::nullopt);
    // Adds a shape drawn elsewhere (the canvas's drag), selected, as one undo step.
    void addShapeOverlay(const ShapeOverlay& overlay);
    // Adds several at once (found redactions), the first selected, as one undo step.
    void addShapeOverlays(const QList<ShapeOverlay>& overlays);
    void updateShapeOverlay(const ShapeOverlay& overlay);
    void deleteShapeOverlay(const ShapeOverlay& overlay);
    void deleteSelectedShapeOverlay();

    // ---- Step markers (app_state_marks.cpp). A marker added gets the next
    // number (see markerStartNumber) whatever number it carries; deleting one
    // renumbers the rest so they count on from the first without a gap. Both
    // are one undo step each and select or deselect as for shapes.
    void addStepMarker(const StepMarker& marker);
    void updateStepMarker(const StepMarker& marker);
    void deleteStepMarker(const QUuid& id);

    // ---- Pen and highlighter strokes (app_state_marks.cpp).
    void addPenStroke(const PenStroke& stroke);
    void updatePenStroke(const PenStroke& stroke);
    void deletePenStroke(const QUuid& id);

    // ---- Crop (app_state_crop.cpp). One undo step: the crop of the current
    // tab's screenshot (unit coordinates of the screenshot, y up), clamped
    // into it; every annotation is carried over so that it stays over the
    // same pixels of the screenshot. A crop with nothing left is ignored.
    void setCrop(const std::optional<UnitRect>& crop);
    void resetCrop() { setCrop(std::nullopt); }

    // Deletes whichever annotation is selected (the canvas's Delete key).
    void deleteSelectedAnnotation();
    // Deletes one annotation of the current tab, as one undo step. An id that
    // is not there changes nothing and records no step. Clears the selection
    // when it named that annotation; deleting a step marker renumbers the rest.
    void deleteAnnotation(const AnnotationRef& ref);

    // ---- Removal areas.
    void addRemovalArea(const UnitRect& rect, RemovalMethod method);
    void deleteRemovalArea(const QUuid& id);

    // ---- Styling (undoable, then composes).
    void applyTemplate(const Template& chosen);
    void resetSettings();

    // ---- Images in and out (app_state_io.cpp).
    // Replaces the current tab's image with the clipboard's, keeping its
    // annotations, selection and history; nothing on the clipboard, nothing
    // happens. File references are decoded off the UI thread.
    void pasteImage();
    // Accepts (true) or refuses a drop at once, from the first item only;
    // the image reaches loadImage(image, false) later, through the event loop.
    bool dropMimeData(const QMimeData& mime);
    // Clears the clipboard, then puts the composed image on it as the only item.
    void copyToClipboard();
    // Shows the current tab's composed image in a window kept above the
    // others (see PinWindow); nothing without one.
    void pinToScreen();
    // Writes the composed image to a local file; says whether it was written.
    ExportService::Result exportImage(const QUrl& destination, ExportFormat format, double scale);
    // The window's export: returns at once and reports through exportFinished,
    // on the event loop, in the order the exports were asked for. The image
    // written is the composed image of the moment of the call; resampling,
    // encoding and writing happen on a worker thread.
    void exportImageInBackground(const QUrl& destination, ExportFormat format, double scale);
    // Each returns at once; a captured image opens in a new tab. With a
    // capture delay set, the application's windows leave the screen and a
    // countdown runs first; Escape during it cancels and brings them back.
    // A request while a countdown runs is ignored.
    Q_INVOKABLE void startRegionCapture();
    Q_INVOKABLE void startWindowCapture();
    Q_INVOKABLE void startFullScreenCapture();
    // The monitor under the pointer only, at its own pixel ratio.
    Q_INVOKABLE void startCurrentScreenCapture();
    // The user drags out a region; the windows leave the screen and the
    // region is captured while the window under it scrolls (X11 only, see
    // ScrollingCapture). The stitched result goes where a capture goes. A
    // note on how it ended (one frame kept, a limit reached) is one line on
    // standard output.
    Q_INVOKABLE void startScrollingCapture();

  signals:
    void tabsChanged();
    // An empty error means the file was written.
    void exportFinished(const QUrl& destination, const QString& error);
    void currentTabIdChanged();
    void settingsChanged();
    void selectionChanged();
    void markerStartNumberChanged(int number);
    void showExportDialogChanged(bool show);
    void showSaveTemplateDialogChanged(bool show);
    void isProcessingChanged(bool processing);
    void currentToolChanged(lustrelab::CanvasTool tool);
    void currentShapeTypeChanged(lustrelab::ShapeType type);
    void captureCollapsedChanged(bool collapsed);
    void canvasCollapsedChanged(bool collapsed);
    void deviceCollapsedChanged(bool collapsed);
    void backgroundCollapsedChanged(bool collapsed);
    void cornersCollapsedChanged(bool collapsed);
    void shadowCollapsedChanged(bool collapsed);
    void paddingCollapsedChanged(bool collapsed);
    void textCollapsedChanged(bool collapsed);
    void shapesCollapsedChanged(bool collapsed);
    void exportCollapsedChanged(bool collapsed);

  private:
    using Section = PreferencesStore::Section;

    void setCollapsed(Section section, bool collapsed);
    // The plain write, as undo restores it: no renumbering, no undo step.
    void writeMarkerStartNumber(int number);
    void setIsProcessing(bool processing);
    HistoryState snapshot() const;
    void restore(const HistoryState& state);
    // Empties the history, and drops an open edit with it: its start belongs
    // to a document that is no longer the current one.
    void forgetHistory();
    ScreenshotTab* mutableCurrentTab();
    // The current tab's annotations, written with f(Annotations&) and
    // announced; no undo step, no composition. Nothing without a current tab.
    template <typename F> void editAnnotations(F&& f);
    template <typename Record> void addAnnotation(const Record& record);
    template <typename Record> void updateAnnotation(const Record& record);
    // A new tab with the current tab's styling, appended and made current.
    ScreenshotTab& appendTab(const QString& name, const QImage& image = {});
    // After the current tab received an image: its file's name, else the time.
    void nameCurrentTab(const QString& fileName);
    void storeComposition(const QUuid& tabId, const QImage& image, const std::optional<ImageChange>& change,
                          bool reduced);
    void requestComposition(bool forTheCanvas);

    AppState(std::unique_ptr<PreferencesStore> own, PreferencesStore* shared,
             const QString& templatesDirectory, QObject* parent);

    // Services first: they must exist before anything below uses them and
    // outlive the workers that use them.
    std::unique_ptr<PreferencesStore> m_ownPreferences; // none when the application's is used
    PreferencesStore& m_preferences;
    HistoryManager m_historyManager;
    ImageProcessor m_imageProcessor;
    TemplateManager m_templateManager;
    UserGradients m_userGradients;
    ClipboardService m_clipboardService;
    ExportService m_exportService;
    ScreenCaptureService m_screenCaptureService;
    CaptureCountdown m_captureCountdown;
    ScreenPins m_screenPins;
    ScrollingCapture m_scrollingCapture;
    CompositionQueue m_compositions{m_imageProcessor};
    ExportQueue m_exports{m_exportService};
    QuickCapture m_quickCapture{m_templateManager, m_clipboardService, m_preferences};
    std::unique_ptr<TextActions> m_textActions; // reads this state: made last, gone first

    QList<ScreenshotTab> m_tabs;
    std::optional<QUuid> m_currentTabId;
    BeautySettings m_noTabSettings; // what settings() reads without a current tab
    std::optional<AnnotationRef> m_selection;
    int m_markerStartNumber = 1;
    // The document as the last start-number change left it: while it still
    // is, the next change joins that change's undo step.
    std::optional<HistoryState> m_startNumberRun;
    std::optional<HistoryState> m_editStart; // the document as the open edit found it
    bool m_showExportDialog = false;
    bool m_showSaveTemplateDialog = false;
    bool m_isProcessing = false;
    bool m_liveComposition = false;
    QSize m_canvasPixels;
    QTimer m_livePause; // the drag rested: compose at full resolution
    CanvasTool m_currentTool = CanvasTool::select;
    ShapeType m_currentShapeType = ShapeType::rectangle;
    std::array<bool, PreferencesStore::SectionCount> m_collapsed{};
};

template <typename F> void AppState::editAnnotations(F&& f)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        f(tab->document.annotations);
        emit tabsChanged();
    }
}

} // namespace lustrelab
