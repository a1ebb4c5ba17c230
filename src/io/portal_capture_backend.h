#pragma once

#include "capture_backend.h"

#include <QDBusConnection>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QWindow;

namespace lustrelab {

// The desktop portal's Screenshot interface, which works on every desktop that
// runs xdg-desktop-portal (GNOME and KDE on Wayland in particular, where
// ordinary X11 tools see nothing). Region and window captures are interactive:
// the desktop's own picker lets the user choose. The full screen is taken
// without a dialog. The portal answers with a file URI, which is copied to the
// caller's path; the portal's file itself is left alone, since some desktops
// put it in the user's pictures folder.
//
// A portal that never answers, or leaves the bus while the request is open
// (it crashed or was restarted), ends the capture with the reason, so the
// application comes back instead of staying hidden.
class PortalCaptureBackend : public CaptureBackend
{
    Q_OBJECT

  public:
    explicit PortalCaptureBackend(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalCaptureBackend() override;

    // Whether the bus has a portal whose Screenshot interface answers; asked
    // without waiting, answered later on context's thread (see
    // probePortalInterface).
    static void checkAvailable(const QDBusConnection& bus, QObject* context,
                               std::function<void(bool available)> answer);

    QString name() const override { return QStringLiteral("portal"); }
    void capture(CaptureMode mode, const QString& path, Done done) override;

    // "x11:<window id in hex>" on X11, empty elsewhere. Current portal back
    // ends refuse a request without a parent, so on X11 a hidden window of our
    // own stands in when the application has none.
    QString parentWindow();

    // How long the portal may take to answer. A full-screen capture needs no
    // user and answers in moments; an interactive one waits for the user's
    // choice in the desktop's picker.
    static constexpr std::chrono::milliseconds fullScreenTimeout{30000};
    static constexpr std::chrono::milliseconds interactiveTimeout{300000};
    // One limit for every mode instead (tests); nullopt restores the above.
    void setResponseTimeout(std::optional<std::chrono::milliseconds> timeout) { m_timeout = timeout; }

  private:
    QDBusConnection m_bus;
    std::optional<std::chrono::milliseconds> m_timeout;
    std::unique_ptr<QWindow> m_anchor; // the stand-in parent, made on first need
};

} // namespace lustrelab
