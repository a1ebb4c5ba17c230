#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <cstdint>

struct xcb_connection_t;

namespace lustrelab {

// Escape taken from the whole X11 desktop for a short while (a capture's
// countdown), whichever window has the focus: a passive grab of the key on
// every root window, with and without Caps Lock and Num Lock. A menu the
// user opens meanwhile grabs the keyboard itself and so keeps its Escape.
class XcbEscapeGrab : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

  public:
    explicit XcbEscapeGrab(QObject* parent = nullptr);
    ~XcbEscapeGrab() override;

    // False where the platform is not xcb or another client holds the key.
    bool grab();
    void release();
    bool isGrabbed() const { return m_grabbed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void pressed();

  private:
    xcb_connection_t* m_connection = nullptr;
    QList<uint32_t> m_roots;
    QList<uint8_t> m_keycodes;
    QList<uint16_t> m_modifiers;
    bool m_grabbed = false;
};

} // namespace lustrelab
