#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace lustrelab {

class AppState;

// "W × H" from the whole parts of a width and a height.
QString sizeText(double width, double height);

// Output: export scale and format, Copy and Download, and the sizes of the
// composed image and of the file it would export.
class SharePanel : public QWidget
{
    Q_OBJECT

  public:
    explicit SharePanel(AppState& state, QWidget* parent = nullptr);

    QString imageSizeText() const;
    QString exportSizeText() const;

  private:
    void sync();

    AppState& m_state;
    QPushButton* m_copy;
    QPushButton* m_download;
    QPushButton* m_pin;
    QWidget* m_info;
    QLabel* m_imageSize;
    QLabel* m_exportSize;
};

} // namespace lustrelab
