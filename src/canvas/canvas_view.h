#pragma once

#include <QWidget>

namespace lustrelab {

class AppState;

// The central editing surface: shows the current tab's composed image and turns pointer input into model edits.
class CanvasView : public QWidget
{
    Q_OBJECT

  public:
    explicit CanvasView(AppState& state, QWidget* parent = nullptr);

  private:
    AppState& m_state;
};

} // namespace lustrelab
