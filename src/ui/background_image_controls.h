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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void choose();
    void sync();
    // The file's name as wide as the label is.
    void showFileName();

    AppState& m_state;
    QPushButton* m_choose;
    QLabel* m_file;
    SliderRow* m_blur;
    SliderRow* m_dim;
    QString m_shownPath;
    QString m_fileName; // empty: no image chosen
    bool m_fileMissing = false;
};

} // namespace lustrelab
