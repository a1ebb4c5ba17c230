#pragma once

#include "canvas_damage.h"
#include "image_display_buffer.h"
#include "model/pen_stroke.h"
#include "model/shape_overlay.h"
#include "model/step_marker.h"
#include "model/text_overlay.h"

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <variant>

class QDrag;

namespace lustrelab {

class AppState;
class InlineTextEditor;

// The central editing surface: shows the current tab's composed image fitted
// into the view and turns pointer input into model edits. It owns no document
// state; everything it changes goes through AppState, and what it draws over
// the image (selection frames, removal outlines, drag previews) is read from
// the model on every paint. The decisions live in canvas_interaction.h; this
// class routes events to them.
class CanvasView : public QWidget
{
    Q_OBJECT

  public:
    explicit CanvasView(AppState& state, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How a drag of the styled image out of the window runs once its data
    // is made (canvas_view_drag.cpp); by default QDrag::exec. Tests look at
    // the data instead of running a drag no one ends.
    void setDragRunner(std::function<void(QDrag&)> run) { m_runDrag = std::move(run); }

  signals:
    // A Shift-drag with the select tool spanned `area` of the composed image
    // (canvas_view_text.cpp): the window copies the text there.
    void textAreaChosen(const lustrelab::UnitRect& area);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // A left-button press in progress and what it landed on.
    struct Press
    {
        QPointF position;
        enum Target { canvas, text, shape, marker, stroke } target = canvas;
        QUuid id;
        bool dragging = false;
        bool endedEditing = false; // the press took the focus from the text field
        // The moved annotation as it was before the drag's first step: every
        // step places it anew from there, and a new press starts afresh.
        std::variant<std::monostate, TextOverlay, ShapeOverlay, StepMarker, PenStroke> original;
        // The pointer's path so far, for the pen and the highlighter.
        QList<QPointF> path;
    };

    // Where the composed image is shown, in the view's points; empty without one.
    QRectF imageFrame() const;
    // The text annotation being edited in place, if any.
    std::optional<QUuid> editingTextId() const;

    void beginPress(QPointF position);
    // Whether the drag of `press` carries the styled image out of the window:
    // the select tool's, begun on the image where no annotation lies (removal
    // areas, which only a double-click reaches, are looked through).
    bool dragsImageOut(const Press& press) const;
    void dragImageOut();
    void canvasDragChanged(QPointF position);
    void canvasDragEnded(QPointF start, QPointF end);
    void canvasClicked();
    // The text tool's click: a new text there, edited in place at once;
    // false beside the image, where nothing is placed.
    bool placeText(QPointF position);
    // The drawing tools (marker, pen, highlighter) draw wherever they are
    // pressed, over annotations too.
    bool drawingToolActive() const;
    // The marker, pen or highlighter press ends: the marker or stroke it made.
    void finishDrawing(const Press& press, QPointF release);
    // Composed-image points to canvas points: the frame's width over the image's.
    double displayScale() const;
    void paintMarks(QPainter& painter, const QRectF& frame);
    void paintMarkPreview(QPainter& painter);
    // The part of the view a pen stroke's preview changes when the pointer
    // has just added the last point of its path.
    QRect markPreviewTailRect() const;
    // Arrow keys: the selected annotation by (dx, dy) points of the composed
    // image, y downwards as on screen.
    void nudgeSelection(double dx, double dy, bool firstOfRun);
    // The crop tool (canvas_view_crop.cpp): a press starts a new rectangle or
    // takes a handle of the one shown; Return applies it, Escape drops it.
    void beginCropPress(QPointF position);
    void cropDragChanged(QPointF position);
    void applyCrop();
    void cancelCrop();
    void paintCropPreview(QPainter& painter);
    // Moves of annotations (canvas_view_move.cpp).
    void moveAnnotation(Press& press, QPointF position);
    template <typename Overlay> void moveOverlay(Press& press, QPointF position);
    // The text area (canvas_view_text.cpp): false when the press is no
    // text-area press and goes to beginPress.
    bool beginTextArea(QPointF position, Qt::KeyboardModifiers modifiers);
    void textAreaDragged(QPointF position);
    void endTextArea(QPointF position);
    void paintTextArea(QPainter& painter);
    void beginEditing(const QUuid& id);
    void commitText(const QString& text);
    void syncEditor();
    void modelChanged();
    QString selectionDescription() const;
    void processingChanged(bool processing);
    // The backdrop, except inside `hidden` (points), which an opaque image covers.
    void paintBackdrop(QPainter& painter, const QRectF& hidden);

    AppState& m_state;
    InlineTextEditor* m_editor; // child widget, owned by this view

    std::optional<Press> m_press;
    std::function<void(QDrag&)> m_runDrag;
    QThreadPool m_dragWorker; // encodes the dragged image
    std::optional<QRectF> m_currentDragRect;
    std::optional<QUuid> m_editingTextId;
    bool m_pressEndsEditing = false;     // the next press is the one that ended an edit
    std::optional<QRectF> m_pendingCrop; // canvas points
    int m_cropEdges = 0;                 // the handle being dragged (canvas::CropEdge)
    QRectF m_cropAtPress;
    // The press and the latest pointer position of a text-area drag.
    std::optional<std::pair<QPointF, QPointF>> m_textArea;

    ImageDisplayBuffer m_display;
    canvas::ShownScene m_scene; // as the last model change asked it to be shown
    QTimer m_resizeSettled;     // a proper refill of the display once resizing stops

    // The busy indicator appears only for compositions that take a while, so
    // the quick ones of a drag do not make it flicker on every step.
    QTimer m_busyDelay;
    QTimer m_busyAnimation;
    QElapsedTimer m_busyClock;
    bool m_busyShown = false;
};

} // namespace lustrelab
