#pragma once

#include <QWidget>

namespace lustrelab {

class AppState;

// The preferences window.
class SettingsView : public QWidget
{
    Q_OBJECT

  public:
    explicit SettingsView(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
};

} // namespace lustrelab
