#include "pin_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace lustrelab {

PinWindow::PinWindow(const QImage& image) : m_image(image)
{
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setTitle(tr("Pinned screenshot"));
    // A large image starts fitted into most of the screen.
    const QSizeF logical = m_image.deviceIndependentSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && !logical.isEmpty()) {
        const QSizeF room = QSizeF(screen->availableGeometry().size()) * 0.8;
        m_zoom = std::min({1.0, room.width() / logical.width(), room.height() / logical.height()});
    }
    const QSize size = (logical * m_zoom).toSize().expandedTo(QSize(16, 16));
    resize(size);
    setMinimumSize(QSize(16, 16));
}

void PinWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1.0);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(size())), m_image);
    // A hairline edge, so a pin is told apart from what it shows over.
    p.setPen(QColor(0, 0, 0, 90));
    p.drawRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0));
}

void PinWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        if (m_copy) {
            m_copy(m_image);
        } else if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setImage(m_image);
        }
        emit copied();
        return;
    }
    QRasterWindow::keyPressEvent(event);
}

void PinWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The window manager moves it where it can (and on Wayland only it can).
    if (startSystemMove())
        return;
    m_dragging = true;
    m_grabOffset = event->position().toPoint();
}

void PinWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        setPosition(event->globalPosition().toPoint() - m_grabOffset);
}

void PinWindow::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void PinWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        close();
}

void PinWindow::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier)
        setOpacity(std::clamp(opacity() + 0.1 * steps, faintest, 1.0));
    else
        setZoom(m_zoom * std::pow(1.1, steps), event->position());
}

void PinWindow::setZoom(double zoom, QPointF anchor)
{
    zoom = std::clamp(zoom, smallestZoom, largestZoom);
    const QSizeF logical = m_image.deviceIndependentSize();
    const QSize newSize = (logical * zoom).toSize().expandedTo(minimumSize());
    // The point under the pointer stays under it.
    const QPointF fraction(anchor.x() / std::max(1, width()), anchor.y() / std::max(1, height()));
    const QPoint shift((newSize.width() - width()) * fraction.x(), (newSize.height() - height()) * fraction.y());
    m_zoom = zoom;
    setGeometry(QRect(position() - shift, newSize));
    update();
}

} // namespace lustrelab
