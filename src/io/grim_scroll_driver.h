#pragma once

#include "scroll_driver.h"
#include "wayland_virtual_pointer.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QProcess;

namespace lustrelab {

// A scrolling capture on a wlroots desktop (Sway, Hyprland, ...): each frame
// is `grim -g GEOMETRY` of the region, as uncompressed PPM on grim's standard
// output, and the wheel is turned through the compositor's virtual pointer
// where it offers one (see WaylandVirtualPointer). Where it does not, the
// user scrolls by hand and the capture takes a frame every step.
class GrimScrollDriver : public QObject, public ScrollDriver
{
    Q_OBJECT

  public:
    explicit GrimScrollDriver(QString grim = {}, QObject* parent = nullptr);
    ~GrimScrollDriver() override;

    bool begin(const QRect& region, double ratio) override;
    void grab(Frame done) override;
    bool scrolls() const override { return m_pointer.isOpen(); }
    void scrollDown(int clicks) override;
    QString error() const override { return m_error; }

    // grim's -g argument for `region`: "X,Y WxH".
    static QString geometry(const QRect& region);

  private:
    QString m_grim;
    QRect m_region;
    QString m_error;
    WaylandVirtualPointer m_pointer;
    QPointer<QProcess> m_running;
};

} // namespace lustrelab
