#pragma once

#include <QImage>
#include <QWidget>

namespace lustrelab {

// The picture at the top of the export sheet: the composed image fitted into
// the available width and at most 200 high, with rounded corners and a soft
// shadow. It keeps a small copy, made when the image changes, never while
// painting.
class ExportPreview : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int maximumHeight = 200;

    explicit ExportPreview(int width, QWidget* parent = nullptr);

    // A null image hides nothing by itself; the sheet hides the preview.
    void setImage(const QImage& composed);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_thumbnail;
    qint64 m_sourceKey = 0;
};

} // namespace lustrelab
