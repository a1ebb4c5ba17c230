#pragma once

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <optional>

struct wl_display;
struct wl_proxy;

namespace lustrelab {

// The wheel turned over another application's window on a wlroots desktop,
// through the compositor's virtual-pointer protocol
// (zwlr_virtual_pointer_manager_v1): a pointer device of our own on the
// seat, moved to a point of the desktop and scrolled there. It runs on a
// Wayland connection of its own, beside Qt's, so that it works the same from
// the window and from the command line, and needs nothing of Qt's private
// Wayland interfaces.
class WaylandVirtualPointer
{
  public:
    WaylandVirtualPointer() = default;
    ~WaylandVirtualPointer();
    WaylandVirtualPointer(const WaylandVirtualPointer&) = delete;
    WaylandVirtualPointer& operator=(const WaylandVirtualPointer&) = delete;

    // The names of the globals the compositor announces (empty without a
    // Wayland display): what it lets clients do.
    static QStringList compositorGlobals();

    // False without a Wayland display or where the compositor does not offer
    // virtual pointers.
    bool open();
    bool isOpen() const { return m_pointer != nullptr; }

    // Moves the pointer to `point` of the desktop, whose logical bounds (all
    // outputs together) are `desktop`.
    void moveTo(QPoint point, const QRect& desktop);
    // Where the pointer waits between turns of the wheel (a point of the
    // desktop), and goes at once: a compositor that draws the pointer into
    // the screen's pixels would otherwise put it in every frame.
    void park(QPoint point);
    // `clicks` notches of the wheel towards the end of the page, at the point
    // of the last moveTo(); then back to where it was parked.
    void scrollDown(int clicks);

  private:
    void close();
    void sendMotion(QPoint point);

    wl_display* m_display = nullptr;
    wl_proxy* m_registry = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_pointer = nullptr;
    QPoint m_point;
    std::optional<QPoint> m_parked;
    QRect m_desktop;
};

} // namespace lustrelab
