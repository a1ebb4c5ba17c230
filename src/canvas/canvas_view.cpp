#include "canvas_view.h"

#include "state/app_state.h"

namespace lustrelab {

CanvasView::CanvasView(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {}

} // namespace lustrelab
