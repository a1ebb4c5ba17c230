#include "right_sidebar.h"

#include "state/app_state.h"

namespace lustrelab {

RightSidebar::RightSidebar(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {}

} // namespace lustrelab
