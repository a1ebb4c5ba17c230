#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lustrelab {

class AppState;
class SliderRow;

// The image background: the file (chosen with "Choose Image…", shown by
// name, or as missing when it is gone), its blur and how far it is dimmed.
class BackgroundImageControls : public QWidget
{
    Q_OBJECT

  public:
    explicit BackgroundImageControls(AppState& state, QWidget* parent = nullptr);

  private:
    void choose();
    void sync();

    AppState& m_state;
    QPushButton* m_choose;
    QLabel* m_file;
    SliderRow* m_blur;
    SliderRow* m_dim;
    QString m_shownPath;
};

} // namespace lustrelab
