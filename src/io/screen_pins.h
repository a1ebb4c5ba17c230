#pragma once

#include "pin_window.h"

#include <QObject>
#include <memory>
#include <vector>

namespace lustrelab {

// The images pinned to the screen, any number at once. Each pin is owned
// here and let go once it is closed.
class ScreenPins : public QObject
{
    Q_OBJECT

  public:
    explicit ScreenPins(QObject* parent = nullptr);
    ~ScreenPins() override;

    // Shows `image` in a new pin, placed at the pointer (cascaded where
    // pins are already), and returns it; nullptr for a null image. On
    // Wayland says once, on standard error, that the pin cannot be kept
    // above other windows there.
    PinWindow* pin(const QImage& image);
    // How Ctrl+C of every later pin copies.
    void setCopyHandler(PinWindow::CopyHandler handler) { m_copy = std::move(handler); }

    int count() const { return int(m_pins.size()); }
    PinWindow* at(int index) const { return m_pins.at(index).get(); }
    void closeAll();

  signals:
    void countChanged(int count);

  private:
    void forget(PinWindow* pin);

    std::vector<std::unique_ptr<PinWindow>> m_pins;
    PinWindow::CopyHandler m_copy;
    bool m_toldAboutWayland = false;
};

} // namespace lustrelab
