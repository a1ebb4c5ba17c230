#include "x11_capture_backend.h"

#include "process_capture_backend.h"
#include "x11_monitors.h"
#include "x11_screen_grab.h"

#include <QProcess>
#include <QScopeGuard>

namespace lustrelab {

namespace {

// Runs `use` with a connection of its own and the screen DISPLAY names:
// the server as DISPLAY names it, whatever platform this process's GUI runs
// on. A server that cannot be reached ends the capture with the reason.
template <typename Use> void withScreen(const CaptureBackend::Done& done, Use use)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    const auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    if (xcb_connection_has_error(connection)) {
        done(QStringLiteral("cannot connect to the X server (DISPLAY=%1)")
                 .arg(qEnvironmentVariable("DISPLAY")));
        return;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.rem ? screens.data : nullptr;
    if (!screen) {
        done(QStringLiteral("the X server has no screen %1").arg(screenNumber));
        return;
    }
    use(connection, screen);
}

void grabArea(xcb_connection_t* connection, const xcb_screen_t* screen, const QRect& area,
              const CaptureBackend::Done& done)
{
    const XGrab result = grabRootArea(connection, screen, area);
    if (result.image.isNull()) {
        done(result.error);
        return;
    }
    done.withPixels(result.image);
}

void grab(CaptureMode mode, const std::optional<X11CaptureBackend::Selection>& selection,
          const CaptureBackend::Done& done)
{
    withScreen(done, [&](xcb_connection_t* connection, const xcb_screen_t* screen) {
        QRect area(0, 0, screen->width_in_pixels, screen->height_in_pixels);
        if (selection) {
            area = selection->area;
            // A window as its manager framed it: the server knows where that is
            // now, whatever slop drew.
            if (mode == CaptureMode::window && selection->window != 0 && selection->window != screen->root)
                if (const std::optional<QRect> frame =
                        frameRectOnRoot(connection, screen->root, selection->window))
                    area = *frame;
        }
        grabArea(connection, screen, area, done);
    });
}

} // namespace

X11CaptureBackend::X11CaptureBackend(QString slop, QObject* parent)
    : CaptureBackend(parent), m_slop(std::move(slop))
{
}

X11CaptureBackend::~X11CaptureBackend()
{
    ProcessCaptureBackend::stopAll(this);
}

QStringList X11CaptureBackend::slopArguments(CaptureMode mode)
{
    const QStringList format{QStringLiteral("--format=%x %y %w %h %i")};
    // A tolerance no drag reaches: every press is a click on a window.
    if (mode == CaptureMode::window)
        return QStringList{QStringLiteral("--tolerance=9999999")} + format;
    return format;
}

std::optional<X11CaptureBackend::Selection> X11CaptureBackend::parseSelection(const QByteArray& slopOutput)
{
    const QList<QByteArray> words = slopOutput.simplified().split(' ');
    if (words.size() != 5)
        return std::nullopt;
    bool ok[5] = {};
    const int x = words[0].toInt(&ok[0]), y = words[1].toInt(&ok[1]), w = words[2].toInt(&ok[2]),
              h = words[3].toInt(&ok[3]);
    const quint32 window = words[4].toUInt(&ok[4], 0); // decimal, or 0x... hexadecimal
    if (!(ok[0] && ok[1] && ok[2] && ok[3] && ok[4]) || w <= 0 || h <= 0)
        return std::nullopt;
    return Selection{QRect(x, y, w, h), window};
}

void X11CaptureBackend::captureMonitor(const MonitorChoice& choice, const QString&, Done done)
{
    withScreen(done, [&](xcb_connection_t* connection, const xcb_screen_t* screen) {
        if (choice.kind == MonitorChoice::Kind::all) {
            grabArea(connection, screen, QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels), done);
            return;
        }
        const MonitorPick pick = pickMonitor(x11Monitors(connection, screen), choice,
                                             choice.kind == MonitorChoice::Kind::current
                                                 ? x11PointerOnRoot(connection, screen)
                                                 : std::nullopt);
        if (!pick.monitor) {
            done(pick.error);
            return;
        }
        done.setRatio(qtScreenRatio(pick.monitor->name, pick.monitor->geometry.topLeft()));
        grabArea(connection, screen, pick.monitor->geometry, done);
    });
}

void X11CaptureBackend::capture(CaptureMode mode, const QString&, Done done)
{
    if (mode == CaptureMode::fullScreen) {
        grab(mode, std::nullopt, done);
        return;
    }
    ProcessCaptureBackend::run(
        this, m_slop, slopArguments(mode),
        [mode, done](QProcess& slop) {
            // slop exits non-zero when the user cancels with Escape or a right click.
            const std::optional<Selection> selection = parseSelection(slop.readAllStandardOutput());
            if (slop.exitStatus() != QProcess::NormalExit || slop.exitCode() != 0 || !selection)
                done(QString());
            else
                grab(mode, selection, done);
        },
        done);
}

} // namespace lustrelab
