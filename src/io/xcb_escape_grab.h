#pragma once

#include "xcb_passive_grab.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace lustrelab {

// Escape taken from the whole X11 desktop for a short while (a capture's
// countdown), whichever window has the focus (see XcbPassiveGrab). A menu
// the user opens meanwhile grabs the keyboard itself and so keeps its Escape.
class XcbEscapeGrab : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

  public:
    explicit XcbEscapeGrab(QObject* parent = nullptr);
    ~XcbEscapeGrab() override;

    // False where the platform is not xcb or another client holds the key.
    bool grab();
    void release();
    bool isGrabbed() const { return m_grab.isGrabbed(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  signals:
    void pressed();

  private:
    XcbPassiveGrab m_grab;
};

} // namespace lustrelab
