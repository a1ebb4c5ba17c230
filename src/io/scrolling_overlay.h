#pragma once

#include <QRasterWindow>

namespace lustrelab {

// The small frameless note beside a scrolling capture's region: how many
// frames are taken and "Esc to finish", or why the capture ended. Placed
// outside the region so that it never shows up in the frames.
class ScrollingOverlay : public QRasterWindow
{
    Q_OBJECT

  public:
    ScrollingOverlay();

    // Below the region when there is room on its screen, else above it, else
    // in the screen's top-left corner. `region` in logical pixels.
    void placeBeside(const QRect& region);
    void setText(const QString& text);
    QString text() const { return m_text; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_text;
};

} // namespace lustrelab
