#pragma once

#include "canvas_damage.h"
#include "image_display_buffer.h"
#include "model/canvas_tool.h"
#include "pointer_tool.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QDrag;

namespace lustrelab {

class AppState;
class InlineTextEditor;

// The central editing surface: shows the current tab's composed image fitted
// into the view and hands pointer input to the current tool. It owns no
// document state; everything it changes goes through AppState, and what it
// draws over the image (selection frames, removal outlines) is read from the
// model on every paint.
//
// What a press, a drag or a key does is the tools' (one object per tool,
// pointer_tool.h): the view gives the tool that took the press every event
// of it with the scene as AppState has it, carries out the edit the tool
// answers with, repaints what the tool says its preview changed and lets it
// paint that preview. The view itself keeps what needs a widget: the text
// field that edits a text in place, the drag of the image out of the window,
// the canvas's keys, and the undo step a move or a run of arrow keys makes
// (AppState's beginEdit() and commit()).
class CanvasView : public QWidget
{
    Q_OBJECT

  public:
    explicit CanvasView(AppState& state, QWidget* parent = nullptr);
    ~CanvasView() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How a drag of the styled image out of the window runs once its data
    // is made (canvas_view_drag.cpp); by default QDrag::exec. Tests look at
    // the data instead of running a drag no one ends.
    void setDragRunner(std::function<void(QDrag&)> run) { m_runDrag = std::move(run); }

  signals:
    // A Shift-drag with the select tool spanned `area` of the composed image
    // (TextAreaTool): the window copies the text there.
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
    // Where the composed image is shown, in the view's points; empty without one.
    QRectF imageFrame() const;
    // Composed-image points to canvas points: the frame's width over the image's.
    double displayScale() const;
    // The current tab as the tools see it.
    canvas::ToolScene toolScene() const;
    canvas::PointerTool& currentTool() const;
    // Carries out what a tool answered (canvas_view_edits.cpp).
    void apply(const canvas::ToolOutcome& outcome);
    void applyEdit(const canvas::ToolEdit& edit);
    void addRecord(const canvas::AnnotationRecord& record);
    // Puts a moved or nudged annotation back into the model.
    void updateRecord(const canvas::AnnotationRecord& record);
    void dragImageOut();
    // Arrow keys: the selected annotation by (dx, dy) points of the composed
    // image, y downwards as on screen.
    void nudgeSelection(double dx, double dy, bool firstOfRun);
    // The selection frames of step markers and pen strokes.
    void paintMarks(QPainter& painter, const QRectF& frame);
    // The backdrop, except inside `hidden` (points), which an opaque image covers.
    void paintBackdrop(QPainter& painter, const QRectF& hidden);
    // The text annotation being edited in place, if any (canvas_view_text.cpp).
    std::optional<QUuid> editingTextId() const;
    void beginEditing(const QUuid& id);
    void commitText(const QString& text);
    void syncEditor();
    void modelChanged();
    QString selectionDescription() const;
    void processingChanged(bool processing);

    AppState& m_state;
    InlineTextEditor* m_editor; // child widget, owned by this view

    // One object per tool, indexed by CanvasTool, and the text area's, which
    // a Shift-press of the select tool goes to.
    std::array<std::unique_ptr<canvas::PointerTool>, RawValues<CanvasTool>::cases.size()> m_tools;
    std::unique_ptr<canvas::PointerTool> m_textAreaTool;
    canvas::PointerTool* m_gesture = nullptr; // the tool that took the press in progress
    bool m_moving = false;                    // a move has made its first step

    std::function<void(QDrag&)> m_runDrag;
    QThreadPool m_dragWorker; // encodes the dragged image
    std::optional<QUuid> m_editingTextId;
    bool m_pressEndsEditing = false; // the next press is the one that ended an edit

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
