#pragma once

// The plain values the canvas's tool objects (pointer_tool.h) work with: what
// a tool sees of the canvas at each event, and what it asks of the model and
// of the screen in return. The view fills in the scene from AppState, hands
// it to the current tool, and carries out the edit the tool answers with;
// tests build scenes by hand and compare the edits.

#include "model/annotations.h"
#include "model/shape_overlay.h"
#include "render/crop_geometry.h"

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QUuid>
#include <Qt>
#include <optional>
#include <variant>

class QPaintDevice;

namespace lustrelab::canvas {

// What a tool sees of the canvas. Positions given to the tools are canvas
// points (canvas_coordinates.h); the image frame relates them to the image.
struct ToolScene
{
    QRectF frame;          // where the composed image is shown; empty without one
    double scale = 1;      // frame points per point of the composed image
    bool hasImage = false; // the tab has a screenshot to annotate
    // A composition to carry out of the window (the select tool's drag).
    bool canDragOut = false;
    Annotations annotations; // of the current tab, as they are now
    ShapeType shapeType = ShapeType::rectangle;
    CropLayout cropLayout; // how the composition lays out the screenshot
    // The shown image, whose text sizes the texts' hit areas follow.
    const QPaintDevice* image = nullptr;
};

// A press: where, with which modifiers, and whether it is the press that
// took the focus from a text being edited (it only ends that edit).
struct ToolPress
{
    QPointF position;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    bool endsEditing = false;
};

// Any annotation record a tool makes or moves.
using AnnotationRecord = std::variant<TextOverlay, ShapeOverlay, RemovalArea, StepMarker, PenStroke>;

// What a tool asks of the model.
namespace edit {
// A new annotation, selected once added; a new text is edited in place at once.
struct Add
{
    AnnotationRecord record;
    friend bool operator==(const Add&, const Add&) = default;
};
// A step of a move: the annotation placed anew. The steps of one drag are one
// undo step, which End closes.
struct Move
{
    AnnotationRecord record;
    friend bool operator==(const Move&, const Move&) = default;
};
struct End
{
    friend bool operator==(const End&, const End&) = default;
};
struct Select
{
    AnnotationRef ref;
    friend bool operator==(const Select&, const Select&) = default;
};
struct ClearSelection
{
    friend bool operator==(const ClearSelection&, const ClearSelection&) = default;
};
// The text selected and edited in place.
struct EditText
{
    QUuid id;
    friend bool operator==(const EditText&, const EditText&) = default;
};
struct DeleteRemoval
{
    QUuid id;
    friend bool operator==(const DeleteRemoval&, const DeleteRemoval&) = default;
};
struct SetCrop
{
    UnitRect crop;
    friend bool operator==(const SetCrop&, const SetCrop&) = default;
};
// The part of the image whose text is to be copied.
struct ChooseTextArea
{
    UnitRect area;
    friend bool operator==(const ChooseTextArea&, const ChooseTextArea&) = default;
};
// The styled image leaves the window by drag and drop; the press is over.
struct DragImageOut
{
    friend bool operator==(const DragImageOut&, const DragImageOut&) = default;
};
} // namespace edit

using ToolEdit =
    std::variant<edit::Add, edit::Move, edit::End, edit::Select, edit::ClearSelection, edit::EditText,
                 edit::DeleteRemoval, edit::SetCrop, edit::ChooseTextArea, edit::DragImageOut>;

// A tool's answer to one event: at most one edit, and what of the view its
// preview changed. Only that part is repainted: on a large screen a repaint
// of the whole view on every step of a drag costs more than a frame leaves.
struct ToolOutcome
{
    std::optional<ToolEdit> edit;
    QRect repaint; // canvas points
    bool repaintAll = false;

    static ToolOutcome of(ToolEdit e, bool all = false) { return {std::move(e), {}, all}; }
    static ToolOutcome all() { return {std::nullopt, {}, true}; }
};

} // namespace lustrelab::canvas
