#include "left_sidebar.h"

#include "state/app_state.h"

namespace lustrelab {

LeftSidebar::LeftSidebar(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {}

} // namespace lustrelab
