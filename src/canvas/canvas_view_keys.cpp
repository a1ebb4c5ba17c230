// CanvasView's keys and selection: the canvas's keyboard (tool letters,
// Delete, arrow nudges, Escape, and Return and Escape for the current tool),
// the selection frames of step markers and pen strokes, and the description
// a screen reader gives of the selection.

#include "base/logical_size.h"
#include "canvas_damage.h"
#include "canvas_view.h"
#include "inline_text_editor.h"
#include "model/display_name.h"
#include "select_tool.h"
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

void CanvasView::nudgeSelection(double dx, double dy, bool firstOfRun)
{
    const ScreenshotTab* tab = m_state.currentTab();
    if (!tab || !tab->shownImage())
        return;
    const auto moved = canvas::nudgedSelection(tab->annotations(), m_state.selection(), QPointF(dx, dy),
                                               logicalSize(*tab->shownImage()));
    if (!moved)
        return;
    // Held-down arrows make one undo step, not one per repeat: the first
    // press of a run is the step, and the repeats carry it on, as a drag's
    // later steps do, without one of their own.
    if (firstOfRun)
        m_state.beginEdit();
    updateRecord(*moved);
    if (firstOfRun)
        m_state.commit();
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
    if (const auto outcome = currentTool().key(Qt::Key(event->key()), toolScene())) {
        apply(*outcome);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_state.deleteSelectedAnnotation();
        return;
    case Qt::Key_Escape:
        m_state.clearSelection();
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
