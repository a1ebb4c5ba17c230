#include "region_picker.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

namespace lustrelab {

namespace {

constexpr int smallestSide = 32; // smaller is a slip of the hand, and too little to scroll

} // namespace

RegionPicker::RegionPicker()
{
    setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setTitle(QStringLiteral("Lustrelab region"));
    setCursor(Qt::CrossCursor);
}

void RegionPicker::present()
{
    if (QGuiApplication::platformName().startsWith(u"wayland")) {
        pickWithSlurp();
        return;
    }
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        emit cancelled();
        return;
    }
    m_screen = screen->grabWindow(0).toImage();
    setScreen(screen);
    setGeometry(screen->geometry());
    showFullScreen();
    requestActivate();
}

void RegionPicker::pickWithSlurp()
{
    auto* slurp = new QProcess(this);
    slurp->setStandardInputFile(QProcess::nullDevice());
    connect(slurp, &QProcess::finished, this, [this, slurp] {
        slurp->deleteLater();
        // "X,Y WxH"; slurp exits non-zero when the user presses Escape.
        static const QRegularExpression answer(QStringLiteral("^(-?\\d+),(-?\\d+) (\\d+)x(\\d+)$"));
        const QRegularExpressionMatch m = answer.match(QString::fromUtf8(slurp->readAllStandardOutput()).trimmed());
        if (slurp->exitStatus() != QProcess::NormalExit || slurp->exitCode() != 0 || !m.hasMatch()) {
            emit cancelled();
            return;
        }
        const QRect chosen(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        if (chosen.width() < smallestSide || chosen.height() < smallestSide) {
            pickWithSlurp(); // too small to scroll: pick again
            return;
        }
        emit picked(chosen);
    });
    connect(slurp, &QProcess::errorOccurred, this, [this, slurp](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        slurp->deleteLater();
        emit cancelled();
    });
    slurp->start(QStandardPaths::findExecutable(QStringLiteral("slurp")), {});
}

void RegionPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect all(QPoint(), size());
    p.drawImage(all, m_screen);
    p.fillRect(all, QColor(0, 0, 0, 110));
    if (m_dragging || !selection().isEmpty()) {
        const QRect chosen = selection();
        p.drawImage(chosen, m_screen, QRectF(QPointF(chosen.topLeft()) * m_screen.devicePixelRatio(),
                                             QSizeF(chosen.size()) * m_screen.devicePixelRatio()));
        p.setPen(QPen(QColor(80, 160, 255), 1));
        p.drawRect(chosen.adjusted(0, 0, -1, -1));
    }
    p.setPen(Qt::white);
    p.drawText(all.adjusted(0, 16, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               tr("Drag over the part to scroll; Esc cancels"));
}

void RegionPicker::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        emit cancelled();
    }
}

void RegionPicker::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_from = m_to = event->position().toPoint();
    update();
}

void RegionPicker::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_to = event->position().toPoint();
    update();
}

void RegionPicker::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_to = event->position().toPoint();
    const QRect chosen = selection();
    if (chosen.width() < smallestSide || chosen.height() < smallestSide) {
        m_from = m_to = {};
        update(); // too small to scroll: pick again
        return;
    }
    hide();
    emit picked(chosen.translated(position()));
}

} // namespace lustrelab
