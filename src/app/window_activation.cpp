#include "window_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstring>
#include <xcb/xcb.h>

namespace lustrelab {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// The startup-notification "remove" message, in the 20-byte pieces the
// protocol sends a text in: the launcher's busy feedback ends.
void endStartupFeedback(xcb_connection_t* connection, xcb_window_t window, const QString& startupId)
{
    QByteArray id = startupId.toUtf8();
    id.replace('\\', "\\\\").replace('"', "\\\"");
    const QByteArray text = "remove: ID=\"" + id + "\"" + '\0';
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    for (qsizetype offset = 0; offset < text.size(); offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = offset == 0 ? begin : more;
        std::memcpy(event.data.data8, text.constData() + offset,
                    size_t(std::min<qsizetype>(20, text.size() - offset)));
        xcb_send_event(connection, 0, rootWindow(connection), XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
}

// Like Qt's own request, but with the time of the user's launch rather than
// of this process's last event, which is older than the window in front.
void requestActivation(xcb_connection_t* connection, xcb_window_t window, quint32 time)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1; // from an application
    event.data.data32[1] = time;
    xcb_send_event(connection, 0, rootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace

quint32 startupIdTime(const QString& startupId)
{
    const qsizetype at = startupId.lastIndexOf(QLatin1String("_TIME"));
    if (at < 0)
        return 0;
    bool ok = false;
    const quint32 time = startupId.mid(at + 5).toUInt(&ok);
    return ok ? time : 0;
}

void bringWindowForward(QWidget& window, const LaunchActivation& activation)
{
    const bool wayland = QGuiApplication::platformName() == u"wayland";
    if (wayland && !activation.activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activation.activationToken.toUtf8());
    if (window.isMinimized())
        window.showNormal();
    else
        window.show();
    window.raise();
    window.activateWindow();
    // Qt removes the token once used; one left unused (the window was
    // already active) must not reach a program started later.
    if (wayland)
        qunsetenv("XDG_ACTIVATION_TOKEN");

    // Other platforms answer the X11 interface too, without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || QGuiApplication::platformName() != u"xcb" || activation.startupId.isEmpty())
        return;
    const auto id = xcb_window_t(window.winId());
    if (const quint32 time = startupIdTime(activation.startupId))
        requestActivation(connection, id, time);
    endStartupFeedback(connection, id, activation.startupId);
    xcb_flush(connection);
}

} // namespace lustrelab
