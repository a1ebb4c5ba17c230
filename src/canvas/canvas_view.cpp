#include "canvas_view.h"

#include "base/logical_size.h"
#include "canvas_coordinates.h"
#include "canvas_decorations.h"
#include "checkerboard_pattern.h"
#include "inline_text_editor.h"
#include "removal_area_handle.h"
#include "shape_selection_handle.h"
#include "state/app_state.h"
#include "text_area_tool.h"
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
    : QWidget(parent), m_state(state), m_editor(new InlineTextEditor(this)),
      m_textAreaTool(std::make_unique<canvas::TextAreaTool>())
{
    for (CanvasTool tool : allCases<CanvasTool>())
        m_tools[int(tool)] = canvas::makeTool(tool);
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
    // What a tool shows until Return (the crop's rectangle) belongs to its tool and tab.
    const auto cancelTools = [this] {
        for (const auto& tool : m_tools)
            if (tool->cancel())
                update();
    };
    connect(&m_state, &AppState::currentToolChanged, this, cancelTools);
    connect(&m_state, &AppState::currentTabIdChanged, this, cancelTools);
    if (m_state.isProcessing())
        processingChanged(true);
}

CanvasView::~CanvasView() = default;

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

double CanvasView::displayScale() const
{
    const ScreenshotTab* tab = m_state.currentTab();
    const QRectF frame = imageFrame();
    if (!tab || !tab->shownImage() || frame.isEmpty())
        return 1;
    const QImage& shown = *tab->shownImage();
    return frame.width() * shown.devicePixelRatio() / shown.width();
}

canvas::ToolScene CanvasView::toolScene() const
{
    canvas::ToolScene scene;
    scene.shapeType = m_state.currentShapeType();
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab)
        return scene;
    scene.frame = imageFrame();
    scene.scale = displayScale();
    scene.hasImage = tab->hasImage();
    scene.canDragOut = tab->processedImage.has_value();
    scene.annotations = tab->annotations();
    if (tab->shownImage())
        scene.image = &*tab->shownImage();
    if (tab->hasImage())
        scene.cropLayout =
            cropLayout(logicalSize(tab->document.screenshot), tab->annotations().crop, m_state.settings());
    return scene;
}

canvas::PointerTool& CanvasView::currentTool() const
{
    return *m_tools[int(m_state.currentTool())];
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

    const canvas::ToolScene scene = toolScene();
    currentTool().paint(painter, scene, palette());
    if (m_gesture && m_gesture != &currentTool())
        m_gesture->paint(painter, scene, palette());
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

// ---- Pointer input: the tool that takes the press has every event of it.

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    const bool endedEditing = std::exchange(m_pressEndsEditing, false);
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const canvas::ToolScene scene = toolScene();
    const bool textArea =
        canvas::startsTextArea(m_state.currentTool(), event->modifiers()) && !scene.frame.isEmpty();
    m_gesture = textArea ? m_textAreaTool.get() : &currentTool();
    apply(m_gesture->press({event->position(), event->modifiers(), endedEditing}, scene));
}

void CanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_gesture)
        apply(m_gesture->move(event->position(), toolScene()));
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_gesture)
        return;
    // The release point counts as the last step of the drag, even when no
    // move event reported it.
    apply(m_gesture->move(event->position(), toolScene()));
    // (That step may have carried the image out of the window and ended the press.)
    if (canvas::PointerTool* tool = std::exchange(m_gesture, nullptr))
        apply(tool->release(event->position(), toolScene()));
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    m_gesture = &currentTool();
    apply(m_gesture->doublePress(event->position(), toolScene()));
}

} // namespace lustrelab
