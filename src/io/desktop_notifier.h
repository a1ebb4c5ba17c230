#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

namespace lustrelab {

// Desktop notifications over the session bus (org.freedesktop.Notifications),
// for work that finishes while the window is out of sight. Where no
// notification server answers, the message goes to standard output as one
// line instead, so a key binding started from a terminal still says it.
class DesktopNotifier : public QObject
{
    Q_OBJECT

  public:
    struct Notification
    {
        QString summary;
        QString body;
        QImage image;        // shown by servers that show images; may be null
        QString actionLabel; // empty: no action
    };

    explicit DesktopNotifier(QObject* parent = nullptr);

    // Returns at once. `onAction` runs (on this thread) if the user picks
    // the action before the notification goes away, with the activation
    // token the server sent for it (empty from servers that send none),
    // which lets a window come forward on Wayland.
    using Action = std::function<void(const QString& activationToken)>;
    void notify(const Notification& notification, Action onAction = {});

  private slots:
    void actionInvoked(uint id, const QString& action);
    void activationToken(uint id, const QString& token);
    void notificationClosed(uint id, uint reason);

  private:
    void printInstead(const Notification& notification);

    QHash<uint, Action> m_actions;
    QHash<uint, QString> m_tokens; // sent just before the action
    bool m_listening = false;
};

} // namespace lustrelab
