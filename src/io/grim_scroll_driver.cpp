#include "grim_scroll_driver.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

namespace lustrelab {

namespace {

// All outputs together, in the compositor's logical pixels: what the
// virtual pointer's absolute positions are relative to.
QRect desktopBounds()
{
    QRect bounds;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens())
            bounds |= screen->geometry();
    return bounds;
}

// The corner of the desktop farthest from `region`: where the pointer is
// out of the frames.
QPoint farCorner(const QRect& desktop, const QRect& region)
{
    const QPoint c = region.center();
    QPoint best = desktop.topLeft();
    for (QPoint corner : {desktop.topLeft(), desktop.topRight(), desktop.bottomLeft(), desktop.bottomRight()})
        if ((corner - c).manhattanLength() > (best - c).manhattanLength())
            best = corner;
    return best;
}

} // namespace

GrimScrollDriver::GrimScrollDriver(QString grim, QObject* parent) : QObject(parent), m_grim(std::move(grim))
{
    if (m_grim.isEmpty())
        m_grim = QStandardPaths::findExecutable(QStringLiteral("grim"));
}

GrimScrollDriver::~GrimScrollDriver()
{
    if (m_running) {
        m_running->disconnect();
        m_running->kill();
        m_running->waitForFinished(1000);
    }
}

QString GrimScrollDriver::geometry(const QRect& region)
{
    return QStringLiteral("%1,%2 %3x%4").arg(region.x()).arg(region.y()).arg(region.width()).arg(region.height());
}

bool GrimScrollDriver::begin(const QRect& region, double)
{
    if (m_grim.isEmpty()) {
        m_error = tr("Scrolling capture on Wayland needs grim; install the package grim.");
        return false;
    }
    m_region = region;
    if (m_pointer.open()) {
        const QRect desktop = desktopBounds();
        m_pointer.moveTo(region.center(), desktop);
        m_pointer.park(farCorner(desktop, region));
    }
    return true;
}

void GrimScrollDriver::grab(Frame done)
{
    auto* grim = new QProcess(this);
    m_running = grim;
    grim->setStandardInputFile(QProcess::nullDevice());
    connect(grim, &QProcess::finished, this, [grim, done] {
        grim->deleteLater();
        QImage frame;
        if (grim->exitStatus() == QProcess::NormalExit && grim->exitCode() == 0)
            frame.loadFromData(grim->readAllStandardOutput(), "PPM");
        done(frame.convertToFormat(QImage::Format_RGB32));
    });
    connect(grim, &QProcess::errorOccurred, this, [grim, done](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        grim->deleteLater();
        done({});
    });
    // PPM: no compression to spend time on, every frame.
    grim->start(m_grim, {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-g"), geometry(m_region),
                         QStringLiteral("-")});
}

void GrimScrollDriver::scrollDown(int clicks)
{
    m_pointer.scrollDown(clicks);
}

} // namespace lustrelab
