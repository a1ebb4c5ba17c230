#include "scrolling_overlay.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace lustrelab {

ScrollingOverlay::ScrollingOverlay()
{
    setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus);
    setTitle(QStringLiteral("Lustrelab scrolling capture"));
    resize(300, 34);
}

void ScrollingOverlay::placeBeside(const QRect& region)
{
    QScreen* screen = QGuiApplication::screenAt(region.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int gap = 8;
    QPoint at(region.left(), region.bottom() + 1 + gap);
    if (at.y() + height() > area.bottom())
        at.setY(region.top() - gap - height());
    if (at.y() < area.top())
        at = area.topLeft() + QPoint(gap, gap);
    at.setX(std::clamp(at.x(), area.left(), area.right() - width()));
    setPosition(at);
}

void ScrollingOverlay::setText(const QString& text)
{
    m_text = text;
    update();
}

void ScrollingOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRect(QPoint(), size()), QColor(24, 24, 28));
    p.setPen(QColor(245, 245, 245));
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(QRect(QPoint(10, 0), size() - QSize(20, 0)), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

} // namespace lustrelab
