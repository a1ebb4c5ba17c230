#include "countdown_overlay.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace lustrelab {

CountdownOverlay::CountdownOverlay()
{
    setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setTitle(QStringLiteral("Lustrelab countdown"));
    resize(168, 112);
}

void CountdownOverlay::setSeconds(int seconds)
{
    if (seconds == m_seconds)
        return;
    m_seconds = seconds;
    update();
}

void CountdownOverlay::present()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        setScreen(screen);
        setPosition(area.center().x() - width() / 2, area.bottom() - height() - area.height() / 8);
    }
    show();
    raise();
    requestActivate();
}

void CountdownOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(), size()), QColor(24, 24, 28));
    p.setPen(QColor(250, 250, 250));
    QFont big = p.font();
    big.setPixelSize(56);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRect(0, 4, width(), height() - 30), Qt::AlignCenter, QString::number(m_seconds));
    QFont small = p.font();
    small.setPixelSize(13);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(200, 200, 205));
    p.drawText(QRect(0, height() - 30, width(), 24), Qt::AlignCenter, tr("Esc to cancel"));
}

void CountdownOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        return;
    }
    QRasterWindow::keyPressEvent(event);
}

} // namespace lustrelab
