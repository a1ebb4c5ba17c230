#pragma once

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace lustrelab {

class AppState;

// File > Stitch Images...: joins overlapping screenshots into one long
// image. The open tabs with an image are listed, ticked, in tab order; files
// can be added; rows are dragged into the order they are joined in. A
// refusal (no overlap, sizes that differ) is shown in the dialog, which stays
// open; a result opens in a new tab and the dialog closes.
class StitchDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit StitchDialog(AppState& state, QWidget* parent = nullptr);

    // Adds images read from files, ticked, after the rows already listed.
    void addFiles(const QStringList& paths);
    // Runs the stitch with what is ticked; what the Stitch button does.
    void stitch();

  private:
    void addRow(const QString& name, const QImage& image);
    void updateStitchButton();

    AppState& m_state;
    QListWidget* m_list;
    QRadioButton* m_vertical;
    QRadioButton* m_horizontal;
    QCheckBox* m_fit;
    QCheckBox* m_joinWithoutOverlap;
    QLabel* m_problem;
    QPushButton* m_stitch;
};

} // namespace lustrelab
