#include "capture_backend_loader.h"

#include "grim_capture_backend.h"
#include "portal_capture_backend.h"
#include "process_capture_backend.h"
#include "x11_capture_backend.h"

#include <QPointer>
#include <QStandardPaths>
#include <cstdio>

namespace lustrelab {

namespace {

const QString backendVariable = QStringLiteral("LUSTRELAB_CAPTURE_BACKEND");

enum class Session { any, x11, wayland };

// A command-line tool with its argument list for each mode. The path is
// always the last argument.
struct Tool
{
    const char* name;
    Session session;
    QStringList region, window, fullScreen;
};

const QList<Tool>& tools()
{
    static const QList<Tool> table{
        // The classic tool's own flags: -i select, -w window, -o no shadow,
        // -m main display, -x no sound.
        {"screencapture", Session::any, {"-i", "-x"}, {"-w", "-o", "-x"}, {"-m", "-x"}},
        // Window mode takes the focused window: neither tool lets the user
        // click one from the command line.
        {"gnome-screenshot", Session::any, {"--area"}, {"--window", "--border-effect=none"}, {}},
        {"spectacle",
         Session::any,
         {"--background", "--nonotify", "--region", "--output"},
         {"--background", "--nonotify", "--activewindow", "--output"},
         {"--background", "--nonotify", "--fullscreen", "--output"}},
        // -t 9999999: a tolerance no drag reaches, so a click picks a window.
        {"maim",
         Session::x11,
         {"--select", "--hidecursor"},
         {"--select", "--tolerance=9999999", "--hidecursor"},
         {"--hidecursor"}},
        {"scrot", Session::x11, {"--select"}, {"--select"}, {}},
        {"import", Session::x11, {"-silent"}, {"-silent"}, {"-silent", "-window", "root"}},
    };
    return table;
}

QStringList toolArguments(const Tool& tool, CaptureMode mode, const QString& path)
{
    QStringList arguments = mode == CaptureMode::region   ? tool.region
                            : mode == CaptureMode::window ? tool.window
                                                          : tool.fullScreen;
    if (QLatin1String(tool.name) == QLatin1String("gnome-screenshot"))
        arguments.append(QStringLiteral("--file=") + path);
    else
        arguments.append(path);
    return arguments;
}

bool sessionRuns(Session session)
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    switch (session) {
    case Session::any:
        return true;
    case Session::wayland:
        return wayland;
    case Session::x11:
        // Under XWayland, X11 tools see only X clients: not the desktop.
        return !wayland && !qEnvironmentVariableIsEmpty("DISPLAY");
    }
    return false;
}

// Resolved path when found; the bare name otherwise, so a forced but missing
// tool fails to launch with the system's own error text.
QString program(const char* name, bool* found = nullptr)
{
    const QString path = QStandardPaths::findExecutable(QLatin1String(name));
    if (found)
        *found = !path.isEmpty();
    return path.isEmpty() ? QLatin1String(name) : path;
}

// The last resort: every capture fails to launch, with advice.
class UnavailableCaptureBackend : public CaptureBackend
{
  public:
    QString name() const override { return QStringLiteral("none"); }
    void capture(CaptureMode, const QString&, Done done) override
    {
        done(QStringLiteral(
            "no screen capture tool found; install slop (X11), gnome-screenshot, spectacle, grim and "
            "slurp, maim, scrot or ImageMagick, or run a desktop portal"));
    }
};

} // namespace

QStringList captureBackendNames()
{
    QStringList names{QStringLiteral("screencapture"), QStringLiteral("x11"), QStringLiteral("portal")};
    for (const Tool& tool : tools())
        if (QLatin1String(tool.name) != QLatin1String("screencapture")) {
            names.append(QLatin1String(tool.name));
            if (QLatin1String(tool.name) == QLatin1String("spectacle"))
                names.append(QStringLiteral("grim"));
        }
    names.append(QStringLiteral("none"));
    return names;
}

std::unique_ptr<CaptureBackend> createCaptureBackend(const QString& name, bool requireTools)
{
    if (name == QLatin1String("none"))
        return std::make_unique<UnavailableCaptureBackend>();
    if (name == QLatin1String("portal")) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (requireTools && !bus.isConnected())
            return nullptr;
        return std::make_unique<PortalCaptureBackend>(bus);
    }
    if (name == QLatin1String("x11")) {
        bool slopFound = false;
        auto backend = std::make_unique<X11CaptureBackend>(program("slop", &slopFound));
        if (requireTools && !(slopFound && sessionRuns(Session::x11)))
            return nullptr;
        return backend;
    }
    if (name == QLatin1String("grim")) {
        bool grimFound = false, slurpFound = false;
        auto backend =
            std::make_unique<GrimCaptureBackend>(program("grim", &grimFound), program("slurp", &slurpFound));
        if (requireTools && !(grimFound && slurpFound && sessionRuns(Session::wayland)))
            return nullptr;
        return backend;
    }
    for (const Tool& tool : tools()) {
        if (name != QLatin1String(tool.name))
            continue;
        bool found = false;
        QString path = program(tool.name, &found);
        if (requireTools && !(found && sessionRuns(tool.session)))
            return nullptr;
        return std::make_unique<ProcessCaptureBackend>(
            name, std::move(path),
            [tool](CaptureMode mode, const QString& p) { return toolArguments(tool, mode, p); });
    }
    return nullptr;
}

std::unique_ptr<CaptureBackend> createMonitorBackend()
{
    if (!qEnvironmentVariable(backendVariable.toLatin1().constData()).trimmed().isEmpty())
        return nullptr;
    if (sessionRuns(Session::x11))
        return std::make_unique<X11CaptureBackend>(program("slop"));
    bool grimFound = false;
    const QString grim = program("grim", &grimFound);
    if (grimFound && sessionRuns(Session::wayland))
        return std::make_unique<GrimCaptureBackend>(grim, program("slurp"));
    return nullptr;
}

namespace {

// The automatic choice from the name at `index` on; only the portal's turn
// needs an answer from elsewhere, and it is awaited on the event loop.
void chooseFrom(qsizetype index, const QPointer<QObject>& context, const CaptureBackendChosen& chosen)
{
    const QStringList names = captureBackendNames();
    for (; index < names.size(); ++index) {
        if (names[index] == QLatin1String("portal")) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (!bus.isConnected() || !context)
                continue;
            PortalCaptureBackend::checkAvailable(bus, context, [index, context, chosen, bus](bool available) {
                if (available)
                    chosen(std::make_unique<PortalCaptureBackend>(bus));
                else
                    chooseFrom(index + 1, context, chosen);
            });
            return;
        }
        if (auto backend = createCaptureBackend(names[index], true)) {
            chosen(std::move(backend));
            return;
        }
    }
}

} // namespace

void loadCaptureBackend(QObject* context, CaptureBackendChosen chosen)
{
    const QString forced = qEnvironmentVariable(backendVariable.toLatin1().constData()).trimmed();
    if (!forced.isEmpty()) {
        if (auto backend = createCaptureBackend(forced, false)) {
            chosen(std::move(backend));
            return;
        }
        std::fprintf(stderr, "lustrelab: unknown capture backend \"%s\" in %s (known: %s); choosing one\n",
                     qPrintable(forced), qPrintable(backendVariable),
                     qPrintable(captureBackendNames().join(QStringLiteral(", "))));
        std::fflush(stderr);
    }
    chooseFrom(0, context, chosen);
}

} // namespace lustrelab
