#include "screen_pins.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>

namespace lustrelab {

ScreenPins::ScreenPins(QObject* parent) : QObject(parent) {}

ScreenPins::~ScreenPins() = default;

PinWindow* ScreenPins::pin(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    if (QGuiApplication::platformName().startsWith(u"wayland") && !m_toldAboutWayland) {
        m_toldAboutWayland = true;
        std::fputs("lustrelab: on Wayland a pinned image is a normal window: the desktop offers no way to keep "
                   "it above the others\n",
                   stderr);
        std::fflush(stderr);
    }
    auto window = std::make_unique<PinWindow>(image);
    PinWindow* pin = window.get();
    if (m_copy)
        pin->setCopyHandler(m_copy);
    const QPoint cascade(24 * count(), 24 * count());
    pin->setPosition(QCursor::pos() - QPoint(pin->width() / 2, pin->height() / 2) + cascade);
    // Closing only hides a QWindow; the pin is let go afterwards, outside
    // its own event handling.
    connect(pin, &QWindow::visibleChanged, this, [this, pin](bool visible) {
        if (!visible)
            QTimer::singleShot(0, this, [this, pin] { forget(pin); });
    });
    m_pins.push_back(std::move(window));
    pin->show();
    pin->requestActivate();
    emit countChanged(count());
    return pin;
}

void ScreenPins::closeAll()
{
    for (const auto& pin : m_pins)
        pin->close();
}

void ScreenPins::forget(PinWindow* pin)
{
    const auto it =
        std::find_if(m_pins.begin(), m_pins.end(), [pin](const auto& owned) { return owned.get() == pin; });
    if (it == m_pins.end() || (*it)->isVisible())
        return;
    m_pins.erase(it);
    emit countChanged(count());
}

} // namespace lustrelab
