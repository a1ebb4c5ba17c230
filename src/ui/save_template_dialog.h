#pragma once

#include <QDialog>

namespace lustrelab {

class AppState;

// Asks for a name and saves the current styling as a template.
class SaveTemplateDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit SaveTemplateDialog(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
};

} // namespace lustrelab
