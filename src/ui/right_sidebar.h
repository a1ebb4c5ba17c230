#pragma once

#include <QWidget>

namespace lustrelab {

class AppState;

// The styling pane: canvas, device, background, corners, shadow and padding, and the share tab.
class RightSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit RightSidebar(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
};

} // namespace lustrelab
