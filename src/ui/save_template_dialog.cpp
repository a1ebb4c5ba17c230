#include "save_template_dialog.h"

#include "state/app_state.h"

namespace lustrelab {

SaveTemplateDialog::SaveTemplateDialog(AppState& state, QWidget* parent) : QDialog(parent), m_state(state) {}

} // namespace lustrelab
