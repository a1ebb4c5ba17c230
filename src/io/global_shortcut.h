#pragma once

#include <QObject>

namespace lustrelab {

// One system-wide key combination (Ctrl+Shift+6, region capture) that works
// while another application has the focus. Each press emits activated() once,
// on the main thread.
class GlobalShortcut : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    // Asks the window system for the combination; false when it cannot even
    // be asked. Registering twice registers once.
    virtual bool registerShortcut() = 0;
    // Gives the combination back; harmless when not registered.
    virtual void unregisterShortcut() = 0;
    virtual bool isRegistered() const = 0;

  signals:
    void activated();
    // A registration that the window system answers later (the desktop
    // portal asks the user) has been answered: bound says whether the
    // combination is now ours. A backend that knows at once (the X11 grab)
    // says so through registerShortcut() and isRegistered() alone.
    void bindingFinished(bool bound);
};

} // namespace lustrelab
