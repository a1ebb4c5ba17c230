#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QSpinBox;
class QToolButton;

namespace lustrelab {

class AppState;

// What the current tool offers: "Add Text" for the text tool; the shape types
// and "Add Shape" for the shape tool; the start number for the marker tool;
// "Reset Crop" for the crop tool;
// nothing for the others.
class ToolOptionsPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit ToolOptionsPanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();

    AppState& m_state;
    QPushButton* m_addText;
    QWidget* m_shapeOptions;
    QList<QToolButton*> m_shapeTypes;
    QPushButton* m_addShape;
    QWidget* m_markerOptions;
    QWidget* m_cropOptions;
    QPushButton* m_resetCrop;
    QSpinBox* m_startNumber;
};

} // namespace lustrelab
