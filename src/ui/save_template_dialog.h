#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace lustrelab {

class AppState;

// Asks for a name and saves the current styling as a template. The name is
// kept exactly as typed; only an empty one is refused. Escape cancels,
// Return saves.
class SaveTemplateDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit SaveTemplateDialog(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
    QLineEdit* m_name;
    QPushButton* m_save;
};

} // namespace lustrelab
