#pragma once

#include <QImage>
#include <QPoint>
#include <QRasterWindow>
#include <functional>

namespace lustrelab {

// An image pinned over the other windows: frameless, kept above them where
// the desktop allows it (on X11 the window manager is asked for
// _NET_WM_STATE_ABOVE; Wayland's shell has no such state, so there it is a
// normal window). Dragged to move, the wheel zooms about the pointer,
// Ctrl+wheel makes it see-through, Ctrl+C copies the image, Escape or a
// double-click closes it. Painted with QtGui alone, so the command line
// pins too.
class PinWindow : public QRasterWindow
{
    Q_OBJECT

  public:
    // How Ctrl+C hands the image over; by default the application's clipboard.
    using CopyHandler = std::function<void(const QImage&)>;

    explicit PinWindow(const QImage& image);

    const QImage& image() const { return m_image; }
    double zoom() const { return m_zoom; }
    void setCopyHandler(CopyHandler handler) { m_copy = std::move(handler); }

    static constexpr double smallestZoom = 0.1;
    static constexpr double largestZoom = 8.0;
    static constexpr double faintest = 0.2; // never invisible: it could not be found again

  signals:
    void copied();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void setZoom(double zoom, QPointF anchor);

    QImage m_image;
    double m_zoom = 1.0;
    CopyHandler m_copy;
    bool m_dragging = false;
    QPoint m_grabOffset; // pointer position inside the window at the press
};

} // namespace lustrelab
