#include "portal_request.h"

#include <QUuid>

namespace lustrelab {

namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// /org/freedesktop/portal/desktop/request/SENDER/TOKEN, where SENDER is our
// unique bus name without the leading ':' and with '.' turned into '_'.
QString predictedPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return PortalRequest::objectPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

} // namespace

QString PortalRequest::newToken()
{
    return QStringLiteral("lustrelab_") + QUuid::createUuid().toString(QUuid::Id128);
}

PortalRequest::PortalRequest(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_token(newToken())
{
    listen(predictedPath(m_bus, m_token));
}

PortalRequest::~PortalRequest()
{
    stopListening();
}

void PortalRequest::follow(const QString& returnedPath)
{
    if (returnedPath.isEmpty() || returnedPath == m_path)
        return;
    stopListening();
    listen(returnedPath);
}

void PortalRequest::listen(const QString& path)
{
    m_path = path;
    m_bus.connect(service, m_path, requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::stopListening()
{
    m_bus.disconnect(service, m_path, requestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap& results)
{
    stopListening();
    emit responded(code, results);
}

} // namespace lustrelab
