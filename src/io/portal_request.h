#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

namespace lustrelab {

// One request to the desktop portal (org.freedesktop.portal.Request). The
// portal answers a method call with a request object and later emits
// Response(code, results) on it. Listening starts before the call is made, on
// the path the portal will choose for our handle_token, so a fast answer is
// never missed; follow() moves to the path the call actually returned, for
// portals that predate predictable paths.
class PortalRequest : public QObject
{
    Q_OBJECT

  public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/portal/desktop");

    // Response codes.
    enum { success = 0, cancelled = 1, failed = 2 };

    PortalRequest(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalRequest() override;

    // Pass as the "handle_token" option of the call.
    QString token() const { return m_token; }
    QString path() const { return m_path; }
    void follow(const QString& returnedPath);

    // A fresh token usable as handle_token or session_handle_token.
    static QString newToken();

  signals:
    void responded(uint code, const QVariantMap& results);

  private slots:
    void onResponse(uint code, const QVariantMap& results);

  private:
    void listen(const QString& path);
    void stopListening();

    QDBusConnection m_bus;
    QString m_token;
    QString m_path;
};

} // namespace lustrelab
