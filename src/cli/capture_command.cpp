#include "capture_command.h"

#include "batch_runner.h"
#include "capture_delay.h"
#include "capture_hand_over.h"
#include "capture_output.h"
#include "compose_command.h"
#include "console.h"
#include "monitor_option.h"
#include "io/capture_file_name.h"
#include "io/clipboard_handover.h"
#include "io/image_limits.h"
#include "io/image_loader.h"
#include "io/launch_activation.h"
#include "io/screen_capture_service.h"
#include "remote_window_presence.h"
#include "render/image_processor.h"
#include "state/export_scale.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace lustrelab {

namespace {

constexpr int failedStatus = 1;
constexpr int usageStatus = 2;
constexpr int cancelledStatus = 3;

std::optional<CaptureMode> modeNamed(const QString& word)
{
    if (word == u"region")
        return CaptureMode::region;
    if (word == u"window")
        return CaptureMode::window;
    if (word == u"screen")
        return CaptureMode::fullScreen;
    return std::nullopt;
}

int usage(const QString& message)
{
    printLine(stderr, QStringLiteral("lustrelab capture: %1").arg(message));
    printLine(stderr, QStringLiteral("usage: lustrelab capture [region|window|screen|scrolling] [-o FILE|FOLDER/] "
                                     "[--settings FILE | --template NAME] [--set FIELD=VALUE]... "
                                     "[--scale N] [--format png|jpeg] [--redact] [--copy | --open] [--pin] "
                                     "[--delay SECONDS] [--monitor current|all|N]"));
    return usageStatus;
}

// What one capture gave: the image, or why there is none.
struct Captured
{
    QImage image;
    bool fileLeft = false; // the tool wrote something (it may not decode)
    QString failure;       // the tool could not be started
};

Captured captureOnce(CaptureMode mode, const std::optional<MonitorChoice>& monitor)
{
    ScreenCaptureService service;
    // A running window would otherwise be in the picture.
    RemoteWindowPresence window;
    service.setPresence(&window);
    service.setPrintsFailures(false); // reported below, on standard error
    service.setFileDecoder([](const QString& path) { return loadImage(path).image; });
    Captured captured;
    QObject::connect(&service, &ScreenCaptureService::captureFailed,
                     [&](CaptureMode, const QString& reason) { captured.failure = reason; });
    QObject::connect(&service, &ScreenCaptureService::capturedImageChanged,
                     [&] { captured.fileLeft = true; });
    (monitor ? service.captureMonitor(*monitor) : service.capture(mode)).then(&service, [&](const QImage& image) {
        captured.image = image;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return captured;
}

// --open hands the capture on unstyled, so no styling or output option can
// mean anything beside it.
bool hasStylingOrOutput(const ComposeOptions& options)
{
    return options.copy || !options.output.isEmpty() || !options.settingsFile.isEmpty() ||
           !options.templateName.isEmpty() || !options.assignments.isEmpty() ||
           !options.annotationsFile.isEmpty() || options.scale || options.format || options.redact;
}

} // namespace

int runCaptureCommand(const QStringList& givenArguments, char* programName)
{
    QStringList arguments = givenArguments;
    const bool open = arguments.removeAll(QStringLiteral("--open")) > 0;
    const bool pin = arguments.removeAll(QStringLiteral("--pin")) > 0;
    const DelayOption delay = takeDelayOption(arguments);
    if (!delay.usageError.isEmpty())
        return usage(delay.usageError);
    const MonitorOption monitor = takeMonitorOption(arguments);
    if (!monitor.usageError.isEmpty())
        return usage(monitor.usageError);
    const ComposeParse parse = parseComposeArguments(arguments, InputsRequired::no);
    if (parse.options.help) {
        printLine(stdout, captureHelp());
        return 0;
    }
    if (!parse.usageError.isEmpty())
        return usage(parse.usageError);
    const ComposeOptions& options = parse.options;
    if (open && pin)
        return usage(QStringLiteral("--open and --pin each take the capture; use one of them"));
    if (open && hasStylingOrOutput(options))
        return usage(QStringLiteral("--open hands the unstyled capture to the window; "
                                    "it takes no styling, -o, --copy or --redact"));
    if (options.inputs.size() > 1)
        return usage(
            QStringLiteral("one of region, window or screen, not %1 words").arg(options.inputs.size()));
    const bool scrolling = options.inputs.value(0) == u"scrolling";
    // A monitor is a screen: `capture --monitor 2` needs no "screen".
    const QString defaultMode = monitor.choice ? QStringLiteral("screen") : QStringLiteral("region");
    const std::optional<CaptureMode> mode =
        scrolling ? CaptureMode::region : modeNamed(options.inputs.value(0, defaultMode));
    if (!mode)
        return usage(QStringLiteral("unknown capture '%1'; use region, window, screen or scrolling")
                         .arg(options.inputs[0]));
    if (monitor.choice && (scrolling || *mode != CaptureMode::fullScreen))
        return usage(QStringLiteral("--monitor chooses the screen to capture; it goes with screen, not %1")
                         .arg(options.inputs[0]));
    qInstallMessageHandler(quietQtWarnings);

    std::optional<ComposeRecipe> recipe =
        open ? std::optional<ComposeRecipe>(ComposeRecipe{}) : resolveComposeRecipe(options);
    if (!recipe)
        return failedStatus;

    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        reportFailure(QStringLiteral("capture"),
                      QStringLiteral("no desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set)"));
        return failedStatus;
    }
    // The focus permission is the window's, for --open: the capture tools
    // started below must not use it up.
    const LaunchActivation activation = launchActivationFromEnvironment();
    clearLaunchActivation();
    // The capture tools and the portal need the desktop session, so this
    // application uses the real display, not the offscreen one compose uses.
    int appArgc = 1;
    char* appArgv[] = {programName, nullptr};
    QGuiApplication app(appArgc, appArgv);
    QGuiApplication::setApplicationName(QStringLiteral("Lustrelab"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lustrelab.Lustrelab"));
    configureImageAllocationLimit();
    if (options.copy) {
        // Refused before the capture: the user must not pick a region for nothing.
        if (const QString problem = clipboardHandoverProblem(); !problem.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), problem);
            return failedStatus;
        }
    }

    if (!waitOutDelay(delay.seconds))
        return cancelledStatus; // Escape during the countdown: nothing taken
    // The whole screen's size is known before it is taken: its canvas is
    // made ready while the capture runs (a guess that misses is not used).
    std::future<QImage> canvasBuffer;
    if (*mode == CaptureMode::fullScreen && !open && !scrolling &&
        (!monitor.choice || monitor.choice->kind == MonitorChoice::Kind::all))
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const qreal ratio = screen->devicePixelRatio();
            const QSize pixels = (QSizeF(screen->virtualSize()) * ratio).toSize();
            canvasBuffer =
                prepareCanvas(ImageProcessor::canvasPixelsFor(pixels, ratio, recipe->settings).toSize());
        }
    Captured captured;
    if (scrolling) {
        const ScrollingOutcome taken = captureScrollingRegion();
        if (!taken.note.isEmpty())
            reportFailure(QStringLiteral("capture"), taken.note); // said, but what was taken is kept
        captured = {taken.image, !taken.image.isNull(), taken.failure};
    } else {
        captured = captureOnce(*mode, monitor.choice);
    }
    if (!captured.failure.isEmpty()) {
        reportFailure(QStringLiteral("capture"), captured.failure);
        return failedStatus;
    }
    if (!captured.fileLeft)
        return cancelledStatus; // the user chose not to: nothing to say, nothing written
    if (captured.image.isNull()) {
        reportFailure(QStringLiteral("capture"), QStringLiteral("the capture tool wrote no readable image"));
        return failedStatus;
    }

    if (open) {
        const QString failure = openCaptureInWindow(
            captured.image,
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/captures"),
            QDateTime::currentDateTime(), QCoreApplication::applicationFilePath(), activation);
        if (!failure.isEmpty()) {
            reportFailure(QStringLiteral("--open"), failure);
            return failedStatus;
        }
        return 0;
    }

    // Without --scale, the screenshot's own pixels: a styling's exportScale
    // (2 in every default) would blow a 1x capture up and soften it.
    recipe->settings.exportScale = exportScaleFor(captured.image, options.scale);
    QImage pinned;
    if (pin) {
        // The styled image at the screenshot's own size; -o and --copy still apply below.
        pinned = ImageProcessor().compose(captured.image, recipe->settings, recipe->annotations);
        if (pinned.isNull()) {
            reportFailure(QStringLiteral("--pin"), QStringLiteral("not enough memory to style the capture"));
            return failedStatus;
        }
        if (options.output.isEmpty() && !options.copy) {
            showPinnedUntilClosed(pinned);
            return 0;
        }
    }
    // A copy or a pin alone writes nothing; without either, the Pictures folder gets it.
    const bool writes = (!options.copy && !pin) || !options.output.isEmpty();
    FileNameClaim claim; // captures started together must not pick the same free name
    const CaptureOutput output = planCaptureOutput(
        options.output, options.format, recipe->settings.exportFormat, QDateTime::currentDateTime(),
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        [&](const QString& path) { return writes ? claim.taken(path) : QFileInfo::exists(path); });
    const QString folder = QFileInfo(output.path).path();
    if (!claim.failure().isEmpty()) {
        reportFailure(folder, claim.failure());
        return failedStatus;
    }
    if (writes && !QDir().mkpath(folder)) {
        reportFailure(folder, QStringLiteral("cannot create the output folder"));
        return failedStatus;
    }
    const ComposeJob job{
        QStringLiteral("capture"), writes ? output.path : QString(), output.format, {}, options.copy};
    const JobOutcome outcome = composeLoaded(captured.image, job, *recipe, std::move(canvasBuffer));
    if (!outcome.written) {
        if (!claim.claimed().isEmpty())
            QFile::remove(claim.claimed()); // the empty file that held the name
        reportFailure(QStringLiteral("capture"), outcome.error);
        return failedStatus;
    }
    if (writes)
        printLine(stdout, output.path);
    if (options.copy) {
        if (const QString failure = keepOnClipboardAfterExit(outcome.clipboardPng); !failure.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), failure);
            return failedStatus;
        }
    }
    if (!pinned.isNull())
        showPinnedUntilClosed(pinned);
    return 0;
}

QString captureHelp()
{
    return QStringLiteral(R"(usage: lustrelab capture [region|window|screen|scrolling] [options]

Takes a screenshot with the desktop's capture tool (region when no word is
given), styles it without opening a window and writes it. "scrolling"
(X11, or a wlroots desktop with grim): drag out a region; it is captured while the window under it scrolls
a wheel step at a time, until the content stops moving, 60 frames or
30000 pixels, or Escape; the frames are stitched into one image. Bind it to a key
for a styled screenshot in one keystroke.

  -o, --output PATH     A file, or a folder (ending in '/'), which receives
                        "Screenshot YYYY-MM-DD HH-MM-SS.png", never replacing
                        an earlier one. Without -o: Pictures/Lustrelab/.
  --settings FILE       The styling, as in compose; or
  --template NAME       a template saved in the window.
  --set FIELD=VALUE     Changes one styling field (repeatable).
  --annotations FILE    Draws the annotations of FILE too.
  --redact              Covers the secrets in the capture's text first (as
                        compose --redact).
  --copy                Puts the styled image on the clipboard instead of
                        writing it (with -o: as well). It stays pasteable
                        after lustrelab exits (on Wayland through wl-copy).
  --open                Opens the capture, unstyled, as a new tab of the
                        running window (starting one when none runs).
  --pin                 Shows the styled capture in a window kept above the
                        others until it is closed (Escape, a double-click);
                        drag it, zoom it with the wheel, fade it with
                        Ctrl+wheel, copy it with Ctrl+C. Writes nothing
                        unless -o or --copy is given too. On Wayland it is
                        a normal window: the desktop cannot keep it above.
  --delay SECONDS       Waits 0 to 60 seconds first, counting down in a
                        small overlay; Escape cancels (exit status 3).
  --monitor WHICH       With screen (implied): only one monitor. "current"
                        is the one under the pointer (on Wayland, the
                        output sway has focused), N counts from 1 left to
                        right, then top to bottom, a name picks an output
                        ("HDMI-1"); "all" is every monitor, as without the
                        option. Each monitor comes at its own pixel ratio.
  --scale N             Export scale. Without it, the screenshot's own
                        pixel ratio: 1 on a 1x screen, 2 on a HiDPI one
                        (a styling's exportScale does not apply here).
  --format png|jpeg     Encoding; else the file name's suffix, else the styling's.
  -h, --help            This text.

The written path goes to standard output. Exit status: 0 done; 1 the
capture or the write failed (one line on standard error says why); 2 usage
error; 3 the selection or the delay was cancelled (nothing written, nothing
copied).)");
}

} // namespace lustrelab
