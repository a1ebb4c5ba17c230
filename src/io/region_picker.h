#pragma once

#include <QImage>
#include <QPoint>
#include <QRasterWindow>
#include <QRect>

namespace lustrelab {

// A full-screen window over the screen under the pointer, showing that
// screen as it was, dimmed, on which the user drags out a rectangle; Escape
// cancels. Emits the rectangle in logical screen coordinates.
//
// On Wayland no client can read the screen to show it, nor cover it where
// it likes: there slurp, the compositor's own selection tool, does the
// picking, and its answer is the rectangle in the desktop's logical pixels.
class RegionPicker : public QRasterWindow
{
    Q_OBJECT

  public:
    RegionPicker();

    void present();

  signals:
    void picked(const QRect& region);
    void cancelled();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void pickWithSlurp();

    QRect selection() const { return QRect(m_from, m_to).normalized(); }

    QImage m_screen;
    QPoint m_from, m_to;
    bool m_dragging = false;
};

} // namespace lustrelab
