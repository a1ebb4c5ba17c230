#pragma once

#include <QRasterWindow>

namespace lustrelab {

// The small frameless window that counts a capture's delay down: the
// seconds left, large, and "Esc to cancel", near the bottom of the screen
// under the pointer, above other windows. Painted with QtGui alone, so the
// command line shows it too. It takes no part in what is captured: it is
// closed before the capture starts.
class CountdownOverlay : public QRasterWindow
{
    Q_OBJECT

  public:
    CountdownOverlay();

    int seconds() const { return m_seconds; }
    void setSeconds(int seconds);
    // Shows it on the screen under the pointer and asks for the focus, so
    // that Escape reaches it where no desktop-wide key grab exists.
    void present();

  signals:
    void escapePressed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int m_seconds = 0;
};

} // namespace lustrelab
