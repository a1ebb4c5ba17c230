#pragma once

#include "xcb_passive_grab.h"

#include <QObject>

namespace lustrelab {

// Escape taken from the whole X11 desktop for a short while (a capture's
// countdown), whichever window has the focus (see XcbPassiveGrab). A menu
// the user opens meanwhile grabs the keyboard itself and so keeps its Escape.
class XcbEscapeGrab : public QObject
{
    Q_OBJECT

  public:
    explicit XcbEscapeGrab(QObject* parent = nullptr);

    // False where the platform is not xcb or another client holds the key.
    bool grab();
    void release() { m_grab.release(); }
    bool isGrabbed() const { return m_grab.isGrabbed(); }

  signals:
    void pressed();

  private:
    XcbPassiveGrab m_grab;
};

} // namespace lustrelab
