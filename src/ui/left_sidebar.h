#pragma once

#include <QWidget>

namespace lustrelab {

class AppState;

// The tools pane: capture buttons, tools, overlay settings, templates and image actions.
class LeftSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit LeftSidebar(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
};

} // namespace lustrelab
