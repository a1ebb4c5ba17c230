// CanvasView's marks and keys: what the marker, pen and highlighter tools make
// on release, the selection frames of step markers and pen strokes, the
// previews of the drawing tools while the pointer is down, the description a
// screen reader gives of the selection, and the canvas's keyboard (tool
// letters, Delete, arrow nudges, Escape).

#include "canvas_coordinates.h"
#include "canvas_damage.h"
#include "canvas_marks.h"
#include "canvas_view.h"

#include "base/logical_size.h"
#include "inline_text_editor.h"
#include "model/display_name.h"
#include "model/id_lookup.h"
#include "render/pen_stroke_painter.h"
#include "render/step_marker_painter.h"
#include "state/app_state.h"
#include "tool_keys.h"

#include <QKeyEvent>
#include <QPainter>

namespace lustrelab {

namespace {

// The selected mark's frame (canvas::markerFrame, canvas::strokeFrame), dashed like a selected shape's.
void paintSelectionFrame(QPainter& painter, const QRectF& bounds, const QColor& accent)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(accent, 2);
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({2.5, 2.5});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds, 2, 2);
    painter.restore();
}

} // namespace

double CanvasView::displayScale() const
{
    const ScreenshotTab* tab = m_state.currentTab();
    const QRectF frame = imageFrame();
    if (!tab || !tab->shownImage() || frame.isEmpty())
        return 1;
    const QImage& shown = *tab->shownImage();
    return frame.width() * shown.devicePixelRatio() / shown.width();
}

bool CanvasView::drawingToolActive() const
{
    const CanvasTool tool = m_state.currentTool();
    return tool == CanvasTool::marker || tool == CanvasTool::pen || tool == CanvasTool::highlighter;
}

QString CanvasView::selectionDescription() const
{
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab || !tab->hasImage())
        return tr("No image: paste, drop or capture a screenshot");
    if (const std::optional<TextOverlay> text = m_state.selectedTextOverlay())
        return tr("Selected text: %1").arg(text->text);
    if (const std::optional<ShapeOverlay> shape = m_state.selectedShapeOverlay())
        return tr("Selected shape: %1").arg(displayName(shape->shapeType));
    if (const std::optional<StepMarker> marker = m_state.selectedStepMarker())
        return tr("Selected step marker %1").arg(marker->number);
    if (const std::optional<PenStroke> stroke = m_state.selectedPenStroke())
        return stroke->highlighter ? tr("Selected highlighter stroke") : tr("Selected pen stroke");
    return tr("No annotation selected");
}

void CanvasView::finishDrawing(const Press& press, QPointF release)
{
    const ScreenshotTab* tab = m_state.currentTab();
    update(); // the preview goes
    const QRectF frame = imageFrame();
    if (!tab || !tab->hasImage())
        return;
    if (m_state.currentTool() == CanvasTool::marker) {
        if (const auto marker =
                canvas::markerFromGesture(press.position, release, press.dragging, frame,
                                          canvas::nextMarkerLook(tab->annotations().stepMarkers)))
            m_state.addStepMarker(*marker);
    } else {
        const bool highlighter = m_state.currentTool() == CanvasTool::highlighter;
        if (const auto stroke = canvas::strokeFromPath(
                press.path, frame, canvas::nextStrokeLook(tab->annotations().penStrokes, highlighter)))
            m_state.addPenStroke(*stroke);
    }
}

void CanvasView::paintMarks(QPainter& painter, const QRectF& frame)
{
    const QColor accent = palette().color(QPalette::Highlight);
    const double scale = displayScale();
    painter.save();
    painter.translate(frame.topLeft());
    if (const auto marker = m_state.selectedStepMarker())
        paintSelectionFrame(painter, canvas::markerFrame(*marker, frame.size(), scale), accent);
    if (const auto stroke = m_state.selectedPenStroke())
        paintSelectionFrame(painter, canvas::strokeFrame(*stroke, frame.size(), scale), accent);
    painter.restore();
}

void CanvasView::paintMarkPreview(QPainter& painter)
{
    if (!m_press || m_press->target != Press::canvas || !drawingToolActive())
        return;
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab)
        return;
    const double scale = displayScale();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_state.currentTool() == CanvasTool::marker) {
        // The marker to be placed, with its tail once the pointer has left it.
        const StepMarker look = canvas::nextMarkerLook(tab->annotations().stepMarkers);
        const double radius = look.size * scale / 2;
        QColor fill = look.color.toPlatformColor();
        fill.setAlphaF(fill.alphaF() * 0.6f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        if (m_press->dragging)
            painter.setPen(QPen(fill, 2));
        if (m_press->dragging)
            painter.drawLine(m_press->position, m_press->path.last());
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(m_press->position, radius, radius);
    } else {
        const bool highlighter = m_state.currentTool() == CanvasTool::highlighter;
        const PenStroke look = canvas::nextStrokeLook(tab->annotations().penStrokes, highlighter);
        QColor ink = look.color.toPlatformColor();
        ink.setAlphaF(ink.alphaF() * float(look.opacity));
        QPen pen(ink, std::max(1.0, look.width * scale));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        if (highlighter)
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.strokePath(smoothCurveThrough(m_press->path), pen);
    }
    painter.restore();
}

QRect CanvasView::markPreviewTailRect() const
{
    const ScreenshotTab* tab = m_state.currentTab();
    if (!m_press || !tab)
        return rect();
    // Each piece of the smoothed curve depends on the points before and
    // after it, so a new point changes the last piece and adds one; the
    // curve through the last four points covers both, and a curve stays
    // within its control points.
    const QList<QPointF>& path = m_press->path;
    const QPainterPath tail = smoothCurveThrough(path.mid(std::max<qsizetype>(0, path.size() - 4)));
    const bool highlighter = m_state.currentTool() == CanvasTool::highlighter;
    const double width = std::max(
        1.0, canvas::nextStrokeLook(tab->annotations().penStrokes, highlighter).width * displayScale());
    const double reach = width / 2 + 2; // round caps and joins, and antialiasing
    return tail.controlPointRect().adjusted(-reach, -reach, reach, reach).toAlignedRect();
}

void CanvasView::nudgeSelection(double dx, double dy, bool firstOfRun)
{
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab || !tab->shownImage())
        return;
    const QSizeF image = logicalSize(*tab->shownImage());
    // Screen points of the composed image are its points: the frame's size is the image's here.
    const QPointF step(dx, dy);
    auto commitStep = [&] {
        // Held-down arrows make one undo step, not one per repeat.
        if (firstOfRun)
            m_state.saveToHistory();
    };
    if (auto text = m_state.selectedTextOverlay()) {
        commitStep();
        text->position = canvas::movedTextPosition(text->position, step, image);
        m_state.updateTextOverlay(*text);
    } else if (auto shape = m_state.selectedShapeOverlay()) {
        commitStep();
        std::tie(shape->startPoint, shape->endPoint) =
            canvas::movedShapePoints({shape->startPoint, shape->endPoint}, step, image);
        m_state.updateShapeOverlay(*shape);
    } else if (auto marker = m_state.selectedStepMarker()) {
        commitStep();
        m_state.updateStepMarker(canvas::movedMarker(*marker, step, image));
    } else if (auto stroke = m_state.selectedPenStroke()) {
        commitStep();
        m_state.updatePenStroke(canvas::movedStroke(*stroke, step, image));
    }
}

void CanvasView::keyPressEvent(QKeyEvent* event)
{
    // What the text field leaves unhandled (arrows, Return) comes up to the
    // canvas; while a text is typed, it must neither pick tools nor move or
    // delete annotations.
    if (m_editor->isEditing()) {
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const double step = modifiers & Qt::ShiftModifier ? 10 : 1;
    const bool first = !event->isAutoRepeat();
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_state.deleteSelectedAnnotation();
        return;
    case Qt::Key_Escape:
        if (m_pendingCrop)
            cancelCrop();
        else
            m_state.clearSelection();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_pendingCrop)
            break;
        applyCrop();
        return;
    case Qt::Key_Left:
        nudgeSelection(-step, 0, first);
        return;
    case Qt::Key_Right:
        nudgeSelection(step, 0, first);
        return;
    case Qt::Key_Up:
        nudgeSelection(0, -step, first);
        return;
    case Qt::Key_Down:
        nudgeSelection(0, step, first);
        return;
    default:
        break;
    }
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) {
        for (CanvasTool tool : allCases<CanvasTool>())
            if (event->key() == canvas::toolKey(tool)) {
                m_state.setCurrentTool(tool);
                return;
            }
    }
    QWidget::keyPressEvent(event);
}

} // namespace lustrelab
