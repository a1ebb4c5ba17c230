#pragma once

// The one-letter key of each canvas tool while the canvas has the keyboard
// focus, also shown in the tool buttons' tooltips. Plain letters, without
// Ctrl, so they never meet the menus' shortcuts.

#include "model/canvas_tool.h"

#include <Qt>

namespace lustrelab::canvas {

inline Qt::Key toolKey(CanvasTool tool)
{
    switch (tool) {
    case CanvasTool::select:
        return Qt::Key_V;
    case CanvasTool::text:
        return Qt::Key_T;
    case CanvasTool::shape:
        return Qt::Key_S;
    case CanvasTool::remove:
        return Qt::Key_E;
    case CanvasTool::marker:
        return Qt::Key_M;
    case CanvasTool::pen:
        return Qt::Key_P;
    case CanvasTool::highlighter:
        return Qt::Key_H;
    case CanvasTool::crop:
        return Qt::Key_C;
    }
    return Qt::Key_unknown;
}

} // namespace lustrelab::canvas
