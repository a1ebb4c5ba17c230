#pragma once

#include <QRasterWindow>

namespace lustrelab {

// The small frameless note beside a scrolling capture's region: how many
// frames are taken and "Esc to finish", or why the capture ended. Placed
// outside the region so that it never shows up in the frames. A click on it,
// or Escape while it has the focus, asks to finish: on Wayland, where no
// client can take Escape from the whole desktop, that is how the user ends
// a capture.
//
// Wayland clients cannot place their windows. On Sway the note has a fixed
// size, which makes the compositor float it rather than tile it beside (and
// so resize) the window being captured, and swaymsg moves it beside the
// region.
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

  signals:
    void finishRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;

  private:
    QString m_text;
    QPoint m_wanted; // where placeBeside put it, for the compositor to be told
    bool m_toldCompositor = false;
};

} // namespace lustrelab
