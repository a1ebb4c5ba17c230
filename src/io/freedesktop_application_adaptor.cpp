#include "freedesktop_application_adaptor.h"

#include "instance_channel.h"

#include <QUrl>

namespace lustrelab {

FreedesktopApplicationAdaptor::FreedesktopApplicationAdaptor(InstanceChannel& channel)
    : QDBusAbstractAdaptor(&channel), m_channel(channel)
{
}

void FreedesktopApplicationAdaptor::Activate(const QVariantMap& platformData)
{
    emit m_channel.openRequested({}, activationFromPlatformData(platformData));
}

void FreedesktopApplicationAdaptor::Open(const QStringList& uris, const QVariantMap& platformData)
{
    QStringList paths;
    for (const QString& uri : uris) {
        // Launchers send file URIs; a plain path is taken as one too.
        const QUrl url(uri);
        paths << (url.isLocalFile() ? url.toLocalFile() : uri);
    }
    emit m_channel.openRequested(paths, activationFromPlatformData(platformData));
}

void FreedesktopApplicationAdaptor::ActivateAction(const QString& name, const QVariantList&,
                                                   const QVariantMap& platformData)
{
    emit m_channel.actionRequested(name, activationFromPlatformData(platformData));
}

} // namespace lustrelab
