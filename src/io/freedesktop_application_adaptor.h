#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace lustrelab {

class InstanceChannel;

// org.freedesktop.Application on the channel's object: what a launcher calls
// instead of running the program once the desktop entry says the application
// is D-Bus activatable. Each call passes the launcher's platform data, which
// carries the token that lets the window take the focus.
class FreedesktopApplicationAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

  public:
    explicit FreedesktopApplicationAdaptor(InstanceChannel& channel);

  public slots:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData);

  private:
    InstanceChannel& m_channel;
};

} // namespace lustrelab
