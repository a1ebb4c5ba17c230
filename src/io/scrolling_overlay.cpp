#include "scrolling_overlay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

namespace lustrelab {

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(u"wayland");
}

} // namespace

ScrollingOverlay::ScrollingOverlay()
{
    // On X11 Escape is taken from the whole desktop, so the note never needs
    // the focus; elsewhere it may, to hear Escape.
    setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
             (onWayland() ? Qt::WindowFlags() : Qt::WindowDoesNotAcceptFocus));
    setTitle(QStringLiteral("Lustrelab scrolling capture"));
    const QSize size(onWayland() ? 380 : 300, 34);
    resize(size);
    if (onWayland()) {
        setMinimumSize(size);
        setMaximumSize(size);
    }
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
    m_wanted = at;
    m_toldCompositor = false;
}

void ScrollingOverlay::exposeEvent(QExposeEvent* event)
{
    QRasterWindow::exposeEvent(event);
    if (!onWayland() || m_toldCompositor || !isExposed())
        return;
    m_toldCompositor = true;
    const QString swaymsg = QStandardPaths::findExecutable(QStringLiteral("swaymsg"));
    if (swaymsg.isEmpty())
        return; // another compositor puts it where it likes
    const QString command = QStringLiteral("[title=\"^%1$\"] floating enable, sticky enable, move absolute position %2 %3")
                                .arg(title())
                                .arg(m_wanted.x())
                                .arg(m_wanted.y());
    // Asked again a moment later: the first time, sway may not list the
    // window yet.
    for (int wait : {0, 250}) {
        QTimer::singleShot(wait, this, [swaymsg, command] {
            QProcess mover;
            mover.setProgram(swaymsg);
            mover.setArguments({command});
            mover.setStandardOutputFile(QProcess::nullDevice()); // it answers in JSON
            mover.setStandardErrorFile(QProcess::nullDevice());
            mover.startDetached();
        });
    }
}

void ScrollingOverlay::mousePressEvent(QMouseEvent*)
{
    emit finishRequested();
}

void ScrollingOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        emit finishRequested();
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
