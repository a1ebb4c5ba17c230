#include "settings_view.h"

#include "state/app_state.h"

namespace lustrelab {

SettingsView::SettingsView(AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {}

} // namespace lustrelab
