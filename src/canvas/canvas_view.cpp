#include "canvas_view.h"

#include "canvas_coordinates.h"
#include "canvas_damage.h"
#include "canvas_decorations.h"
#include "canvas_interaction.h"
#include "canvas_marks.h"
#include "checkerboard_pattern.h"
#include "inline_text_editor.h"
#include "model/display_name.h"
#include "model/id_lookup.h"
#include "removal_area_handle.h"
#include "render/paint_helpers.h"
#include "shape_selection_handle.h"
#include "state/app_state.h"
#include "text_selection_handle.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

namespace lustrelab {

namespace {

constexpr double checkerSquare = 12;
constexpr int resizeSettleMs = 150;
constexpr int busyDelayMs = 200;
constexpr int busyFrameMs = 80;
constexpr double busyRegionSide = 64;
} // namespace

CanvasView::CanvasView(AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_editor(new InlineTextEditor(this))
{
    // Every pixel is painted; the backdrop is opaque.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the canvas takes the focus from the text field, which commits it.
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(tr("Canvas"));

    m_resizeSettled.setSingleShot(true);
    m_resizeSettled.setInterval(resizeSettleMs);
    connect(&m_resizeSettled, &QTimer::timeout, this, qOverload<>(&QWidget::update));

    m_busyDelay.setSingleShot(true);
    m_busyDelay.setInterval(busyDelayMs);
    connect(&m_busyDelay, &QTimer::timeout, this, [this] {
        if (!m_state.isProcessing())
            return;
        m_busyShown = true;
        m_busyClock.start();
        m_busyAnimation.start();
        update();
    });
    m_busyAnimation.setInterval(busyFrameMs);
    connect(&m_busyAnimation, &QTimer::timeout, this, [this] {
        QRectF region(0, 0, busyRegionSide, busyRegionSide);
        region.moveCenter(QRectF(rect()).center());
        update(region.toAlignedRect());
    });

    m_editor->setObjectName(QStringLiteral("textEditor"));
    connect(m_editor, &InlineTextEditor::committed, this, &CanvasView::commitText);
    connect(&m_state, &AppState::tabsChanged, this, &CanvasView::modelChanged);
    connect(&m_state, &AppState::currentTabIdChanged, this, &CanvasView::modelChanged);
    connect(&m_state, &AppState::selectionChanged, this, &CanvasView::modelChanged);
    connect(&m_state, &AppState::isProcessingChanged, this, &CanvasView::processingChanged);
    connect(&m_state, &AppState::currentToolChanged, this, [this] { cancelCrop(); });
    connect(&m_state, &AppState::currentTabIdChanged, this, [this] { cancelCrop(); });
    if (m_state.isProcessing())
        processingChanged(true);
}

QSize CanvasView::sizeHint() const
{
    return {800, 600};
}

QSize CanvasView::minimumSizeHint() const
{
    return {200, 150};
}

QRectF CanvasView::imageFrame() const
{
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab || !tab->shownImage())
        return {};
    return canvas::fittedImageFrame(QSizeF(size()), logicalSize(*tab->shownImage()));
}

std::optional<QUuid> CanvasView::editingTextId() const
{
    return m_editor->isEditing() ? m_editingTextId : std::nullopt;
}

// ---- Model changes.

void CanvasView::modelChanged()
{
    syncEditor();
    // A screen reader announces the selection through the description.
    setAccessibleDescription(selectionDescription());
    // Only what differs from the scene asked for last: on a large screen a
    // whole repaint costs more than a drag step may take.
    const ScreenshotTab* tab = m_state.currentTab();
    canvas::ShownScene next;
    if (tab) {
        // The field replaces the frame of the text being edited.
        const auto editing = editingTextId();
        std::optional<AnnotationRef> framed = m_state.selection();
        if (editing && framed == AnnotationRef{AnnotationKind::text, *editing})
            framed.reset();
        next = canvas::sceneOf(*tab, framed, imageFrame(), displayScale());
    }
    update(canvas::damagedRegion(m_scene, next, tab ? tab->shownChange() : std::nullopt, rect()));
    m_scene = std::move(next);
}

void CanvasView::syncEditor()
{
    if (!m_editingTextId)
        return;
    const auto overlay = findById(m_state.currentTextOverlays(), *m_editingTextId);
    const QRectF frame = imageFrame();
    if (!overlay || frame.isEmpty()) {
        // Undone, deleted or on another tab: there is nothing left to write to.
        m_editingTextId.reset();
        m_editor->cancel();
    } else if (m_state.selectedId(AnnotationKind::text) != m_editingTextId) {
        // Deselected while typing: keep what was typed rather than drop it.
        m_editor->commit();
    } else {
        m_editor->moveCentre(canvas::unitToCanvas(overlay->position, frame));
    }
}

void CanvasView::processingChanged(bool processing)
{
    if (processing) {
        if (!m_busyShown && !m_busyDelay.isActive())
            m_busyDelay.start();
        return;
    }
    m_busyDelay.stop();
    m_busyAnimation.stop();
    if (m_busyShown) {
        m_busyShown = false;
        update();
    }
}

// ---- Painting.

// Painted afresh each time, only where the view is repainted: a cached copy
// of the view's size cost a 2x screen tens of milliseconds of first touches
// before the window's first paint, and copying it is no faster than the tile.
void CanvasView::paintBackdrop(QPainter& painter, const QRectF& hidden)
{
    // Only around an opaque image: under it, the backdrop would cost a pass
    // over most of the view on every step of a drag, all of it painted over.
    // The image may land up to a device pixel inside its frame, so the part
    // left out is the frame shrunk to whole points, and by one more.
    const QRect inside(QPoint(int(std::ceil(hidden.left())) + 1, int(std::ceil(hidden.top())) + 1),
                       QPoint(int(std::floor(hidden.right())) - 2, int(std::floor(hidden.bottom())) - 2));
    const bool clipped = !hidden.isEmpty() && inside.isValid();
    if (clipped) {
        painter.save();
        painter.setClipRegion(QRegion(rect()).subtracted(inside));
    }
    CheckerboardPattern{checkerSquare}.paint(painter, QRectF(rect()), palette().color(QPalette::Window));
    if (clipped)
        painter.restore();
}

void CanvasView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const ScreenshotTab* tab = m_state.currentTab();
    const bool opaque = tab && tab->shownImage() && !tab->shownImage()->hasAlphaChannel();
    paintBackdrop(painter, opaque ? imageFrame() : QRectF());

    if (tab && tab->shownImage()) {
        const QRectF frame = imageFrame();
        m_display.paint(painter, *tab->shownImage(), frame, devicePixelRatioF(), m_resizeSettled.isActive(),
                        tab->shownChange(), tab->previewImage.has_value());

        painter.save();
        painter.translate(frame.topLeft());
        const QColor accent = palette().color(QPalette::Highlight);
        const auto selectedText = m_state.selectedId(AnnotationKind::text);
        const auto selectedShape = m_state.selectedId(AnnotationKind::shape);
        const auto editing = editingTextId();
        for (const TextOverlay& text : tab->annotations().textOverlays) {
            // The field replaces the frame of the text being edited.
            const bool framed = text.id == selectedText && text.id != editing;
            TextSelectionHandle{text, framed, frame.size(), displayScale(), &*tab->shownImage()}.paint(
                painter, accent);
        }
        for (const ShapeOverlay& shape : tab->annotations().shapeOverlays)
            ShapeSelectionHandle{shape, shape.id == selectedShape, frame.size()}.paint(painter, accent);
        // A dashed outline costs its dashes wherever it is clipped to, and a
        // drag step repaints a small part of the view.
        // (A point more: the repaint rounds out to whole device pixels.)
        const QRectF repainted = QRectF(event->rect()).adjusted(-1, -1, 1, 1).translated(-frame.topLeft());
        for (const RemovalArea& area : tab->annotations().removalAreas) {
            const RemovalAreaHandle handle{area, frame.size()};
            if (handle.paintedRect().intersects(repainted))
                handle.paint(painter);
        }
        painter.restore();
        paintMarks(painter, frame);
    } else {
        canvas::paintEmptyState(painter, rect(), palette(), tr("No image"),
                                tr("Paste (Ctrl+V) or drag an image"));
    }

    if (m_currentDragRect)
        canvas::paintDragPreview(painter, *m_currentDragRect, m_state.currentTool(),
                                 m_state.currentShapeType());
    paintMarkPreview(painter);
    paintCropPreview(painter);
    paintTextArea(painter);
    if (m_busyShown)
        canvas::paintBusyIndicator(painter, rect(), palette(), (m_busyClock.elapsed() % 1000) / 1000.0);
}

void CanvasView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The room the image is fitted into, which a composition made while a
    // styling control is held needs to fill and no more.
    const QSizeF room = QSizeF(size()).shrunkBy(
        QMarginsF(canvas::imageMargin, canvas::imageMargin, canvas::imageMargin, canvas::imageMargin));
    m_state.setCanvasPixels((room * devicePixelRatioF()).toSize().expandedTo({0, 0}));
    if (!m_display.buffer().isNull())
        m_resizeSettled.start();
    syncEditor();
}

void CanvasView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

// ---- Pointer input.

void CanvasView::beginPress(QPointF position)
{
    Press press;
    press.position = position;
    press.path.append(position);
    const ScreenshotTab* tab = m_state.currentTab();
    const QRectF frame = imageFrame();
    if (m_state.currentTool() == CanvasTool::crop)
        beginCropPress(position);
    else if (tab && !frame.isEmpty() && !drawingToolActive()) {
        const QPointF inFrame = position - frame.topLeft();
        canvas::CanvasHit hit =
            canvas::hitTestMarks(inFrame, frame.size(), displayScale(), tab->annotations().stepMarkers,
                                 tab->annotations().penStrokes);
        if (hit.kind == canvas::CanvasHit::none)
            hit = canvas::hitTest(inFrame, frame.size(), tab->annotations().textOverlays,
                                  tab->annotations().shapeOverlays, tab->annotations().removalAreas, false,
                                  displayScale(), &*tab->shownImage());
        if (hit.kind == canvas::CanvasHit::text)
            press.target = Press::text;
        else if (hit.kind == canvas::CanvasHit::shape)
            press.target = Press::shape;
        else if (hit.kind == canvas::CanvasHit::marker)
            press.target = Press::marker;
        else if (hit.kind == canvas::CanvasHit::stroke)
            press.target = Press::stroke;
        press.id = hit.id;
    }
    m_press = press;
}

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    const bool endedEditing = std::exchange(m_pressEndsEditing, false);
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!beginTextArea(event->position(), event->modifiers())) {
        beginPress(event->position());
        m_press->endedEditing = endedEditing;
    }
}

void CanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_textArea) {
        textAreaDragged(event->position());
        return;
    }
    if (!m_press)
        return;
    const QPointF position = event->position();
    Press& press = *m_press;
    if (press.target == Press::canvas && position != press.path.last()) {
        // The pen follows the pointer from the press on, threshold or not.
        press.path.append(position);
        // Only the stroke's end changes: on a large screen a repaint of the
        // whole view on every step costs more than a frame leaves.
        if (m_state.currentTool() == CanvasTool::pen || m_state.currentTool() == CanvasTool::highlighter)
            update(markPreviewTailRect());
    }
    if (!press.dragging) {
        const double threshold =
            press.target == Press::canvas ? canvas::canvasDragThreshold : canvas::overlayDragThreshold;
        press.dragging = canvas::passedThreshold(press.position, position, threshold);
        if (!press.dragging)
            return;
        if (dragsImageOut(press)) {
            dragImageOut();
            return;
        }
    }
    if (press.target == Press::canvas) {
        canvasDragChanged(position);
    } else {
        // A move composes at the size the canvas shows until it is let go.
        m_state.setLiveComposition(true);
        moveAnnotation(press, position);
    }
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_textArea) {
        endTextArea(event->position());
        return;
    }
    if (event->button() != Qt::LeftButton || !m_press)
        return;
    // The release point counts as the last step of the drag, even when no
    // move event reported it.
    mouseMoveEvent(event);
    const Press press = *std::exchange(m_press, std::nullopt);
    if (press.target == Press::canvas && drawingToolActive()) {
        finishDrawing(press, event->position());
        return;
    }
    if (press.dragging) {
        // A moved annotation is already where the last step put it; letting
        // go composes it at full resolution.
        if (press.target == Press::canvas)
            canvasDragEnded(press.position, event->position());
        else
            m_state.setLiveComposition(false);
        return;
    }
    using Kind = AnnotationKind;
    switch (press.target) {
    case Press::canvas:
        // A click that only takes the focus from a text being edited ends
        // that edit; it places no text of its own.
        if (m_state.currentTool() != CanvasTool::text || press.endedEditing || !placeText(press.position))
            canvasClicked();
        break;
    case Press::text:
        m_state.selectAnnotation(Kind::text, press.id);
        break;
    case Press::shape:
        m_state.selectAnnotation(Kind::shape, press.id);
        break;
    case Press::marker:
        m_state.selectAnnotation(Kind::marker, press.id);
        break;
    case Press::stroke:
        m_state.selectAnnotation(Kind::stroke, press.id);
        break;
    }
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const ScreenshotTab* tab = m_state.currentTab();
    const QRectF frame = imageFrame();
    canvas::CanvasHit hit;
    // The drawing tools take the second press of a double-click as another
    // press of their own, and so do markers and strokes.
    if (tab && !frame.isEmpty() && !drawingToolActive() &&
        canvas::hitTestMarks(event->position() - frame.topLeft(), frame.size(), displayScale(),
                             tab->annotations().stepMarkers, tab->annotations().penStrokes)
                .kind == canvas::CanvasHit::none)
        hit = canvas::hitTest(event->position() - frame.topLeft(), frame.size(),
                              tab->annotations().textOverlays, tab->annotations().shapeOverlays,
                              tab->annotations().removalAreas, true, displayScale(), &*tab->shownImage());
    switch (hit.kind) {
    case canvas::CanvasHit::text:
        m_press.reset();
        m_state.selectAnnotation(AnnotationKind::text, hit.id);
        beginEditing(hit.id);
        break;
    case canvas::CanvasHit::removal:
        m_press.reset();
        m_state.deleteRemovalArea(hit.id);
        break;
    default:
        // Anything else takes the second press of a double-click as a press of its own.
        beginPress(event->position());
        break;
    }
}

// ---- What gestures do.

void CanvasView::canvasDragChanged(QPointF position)
{
    const CanvasTool tool = m_state.currentTool();
    if (tool == CanvasTool::crop)
        cropDragChanged(position);
    if (tool == CanvasTool::remove) {
        // The removal preview is a filled rectangle with a dashed outline 2
        // points wide: only what it covered and covers now needs painting.
        const QRectF before = m_currentDragRect.value_or(QRectF());
        m_currentDragRect = canvas::spannedRect(m_press->position, position);
        const QRectF reach = before.isNull() ? *m_currentDragRect : before.united(*m_currentDragRect);
        update(reach.adjusted(-3, -3, 3, 3).toAlignedRect());
        return;
    }
    // A pen or highlighter step has asked for the part of its stroke it changed.
    if ((tool == CanvasTool::pen || tool == CanvasTool::highlighter) && !m_currentDragRect)
        return;
    if (tool == CanvasTool::shape)
        m_currentDragRect = canvas::spannedRect(m_press->position, position);
    else
        m_currentDragRect.reset();
    update();
}

void CanvasView::canvasDragEnded(QPointF start, QPointF end)
{
    m_currentDragRect.reset();
    update();
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab || !tab->hasImage())
        return;
    const QRectF frame = imageFrame();
    switch (m_state.currentTool()) {
    case CanvasTool::shape:
        if (const auto shape = canvas::shapeFromDrag(start, end, frame, m_state.currentShapeType()))
            m_state.addShapeOverlay(*shape);
        break;
    case CanvasTool::remove:
        if (const auto rect = canvas::removalRectFromDrag(start, end, frame))
            m_state.addRemovalArea(*rect, RemovalMethod::contentAware);
        break;
    default: // the other tools draw nothing here (the drawing tools are handled on release)
        break;
    }
}

void CanvasView::canvasClicked()
{
    m_state.clearSelection();
}

} // namespace lustrelab
