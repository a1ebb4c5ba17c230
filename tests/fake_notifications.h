#pragma once

// The notification server of a desktop (org.freedesktop.Notifications),
// reduced to what it was told. Register it on a connection of its own to a
// private bus (see test::PrivateSessionBus).

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QVariantMap>

namespace lustrelab::test {

class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    struct Shown
    {
        QString summary;
        QString body;
        QStringList actions;
        bool hasImage = false;
        QSize imageSize; // of the image-data hint
    };
    QList<Shown> shown;

    bool registerOn(QDBusConnection bus)
    {
        return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportScriptableSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

  public slots:
    Q_SCRIPTABLE uint Notify(const QString&, uint, const QString&, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int)
    {
        const QVariant image = hints.value(QStringLiteral("image-data"));
        QSize size;
        if (image.canConvert<QDBusArgument>()) {
            const QDBusArgument argument = image.value<QDBusArgument>();
            int width = 0, height = 0;
            argument.beginStructure();
            argument >> width >> height;
            size = QSize(width, height);
        }
        shown << Shown{summary, body, actions, image.isValid(), size};
        return uint(shown.size());
    }
};

} // namespace lustrelab::test
