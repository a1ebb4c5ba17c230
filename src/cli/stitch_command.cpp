#include "stitch_command.h"

#include "batch_runner.h"
#include "capture_hand_over.h"
#include "compose_command.h"
#include "console.h"
#include "io/clipboard_handover.h"
#include "io/export_service.h"
#include "io/image_limits.h"
#include "io/image_loader.h"
#include "io/png_encoder.h"
#include "output_plan.h"
#include "render/image_stitcher.h"
#include "state/export_scale.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <memory>

namespace lustrelab {

namespace {

constexpr int failedStatus = 1;
constexpr int usageStatus = 2;

int usage(const QString& message)
{
    printLine(stderr, QStringLiteral("lustrelab stitch: %1").arg(message));
    printLine(stderr, QStringLiteral("usage: lustrelab stitch IMAGE IMAGE... (-o OUTPUT | --copy | --open) "
                                     "[--horizontal] [--fit] [--no-overlap-ok] [--styled] [styling options]"));
    return usageStatus;
}

bool takeFlag(QStringList& arguments, const QString& flag) { return arguments.removeAll(flag) > 0; }

// Plain stitching is the common wish (a long page to keep or send); any
// styling option, or --styled for the defaults, styles the result as compose does.
bool asksForStyling(const ComposeOptions& options)
{
    return !options.settingsFile.isEmpty() || !options.templateName.isEmpty() || !options.assignments.isEmpty() ||
           !options.annotationsFile.isEmpty() || options.redact;
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    return fa.absoluteFilePath() == fb.absoluteFilePath() ||
           (fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath());
}

QString hintFor(const StitchFailure& failure)
{
    switch (failure.kind) {
    case StitchFailure::Kind::noOverlap:
        return QStringLiteral("; --no-overlap-ok joins them edge to edge");
    case StitchFailure::Kind::sizeMismatch:
        return QStringLiteral("; --fit scales them to the narrowest");
    default:
        return {};
    }
}

// Writes (and/or encodes for the clipboard) the stitched image unstyled.
JobOutcome writePlain(const QImage& image, const ComposeJob& job, double scale)
{
    JobOutcome outcome;
    if (!job.output.isEmpty()) {
        const ExportService::Result written = ExportService().saveToFile(image, job.output, job.format, scale);
        if (!written.written) {
            outcome.error = QStringLiteral("cannot write %1: %2").arg(job.output, written.error);
            return outcome;
        }
    }
    if (job.copy) {
        QString error;
        outcome.clipboardPng = PngEncoder::encode(ExportService::scaleImage(image, scale), &error);
        if (outcome.clipboardPng.isEmpty()) {
            outcome.error = QStringLiteral("cannot encode the copy: %1").arg(error);
            return outcome;
        }
    }
    outcome.written = true;
    return outcome;
}

} // namespace

int runStitchCommand(const QStringList& givenArguments, char* programName)
{
    QStringList arguments = givenArguments;
    StitchOptions stitching;
    if (takeFlag(arguments, QStringLiteral("--horizontal")))
        stitching.direction = StitchDirection::horizontal;
    stitching.fit = takeFlag(arguments, QStringLiteral("--fit"));
    stitching.appendWithoutOverlap = takeFlag(arguments, QStringLiteral("--no-overlap-ok"));
    const bool open = takeFlag(arguments, QStringLiteral("--open"));
    const bool styledDefaults = takeFlag(arguments, QStringLiteral("--styled"));
    const ComposeParse parse = parseComposeArguments(arguments, InputsRequired::no);
    if (parse.options.help) {
        printLine(stdout, stitchHelp());
        return 0;
    }
    if (!parse.usageError.isEmpty())
        return usage(parse.usageError);
    const ComposeOptions& options = parse.options;
    const bool styled = styledDefaults || asksForStyling(options);
    if (options.inputs.size() < 2)
        return usage(QStringLiteral("stitching needs at least two images, got %1").arg(options.inputs.size()));
    if (open && (styled || options.copy || !options.output.isEmpty() || options.scale || options.format))
        return usage(QStringLiteral("--open hands the unstyled result to the window; "
                                    "it takes no styling, -o, --copy, --scale or --format"));
    if (!open && !options.copy && options.output.isEmpty())
        return usage(QStringLiteral("say where the result goes: -o OUTPUT, --copy or --open"));
    QString output = options.output;
    const ExportFormat settingsFormat = ExportFormat::png;
    if (!output.isEmpty() && namesFolder(output))
        output = QDir(output).filePath(QFileInfo(options.inputs.front()).completeBaseName() +
                                       QStringLiteral("-stitched.png"));
    for (const QString& input : options.inputs)
        if (!output.isEmpty() && sameFile(output, input))
            return usage(QStringLiteral("the output %1 is one of the inputs; it would be replaced").arg(output));
    qInstallMessageHandler(quietQtWarnings);

    std::optional<ComposeRecipe> recipe = styled ? resolveComposeRecipe(options) : ComposeRecipe{};
    if (!recipe)
        return failedStatus;

    int appArgc = 1;
    char* appArgv[] = {programName, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (options.copy || open || !recipe->annotations.textOverlays.isEmpty() ||
        !recipe->annotations.stepMarkers.isEmpty()) {
        if (!options.copy && !open && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // fonts for texts, no display needed
        app = std::make_unique<QGuiApplication>(appArgc, appArgv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, appArgv);
    }
    if (options.copy) {
        if (const QString problem = clipboardHandoverProblem(); !problem.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), problem);
            return failedStatus;
        }
    }
    configureImageAllocationLimit();

    QList<QImage> images;
    for (const QString& input : options.inputs) {
        LoadedImage loaded = loadImage(input);
        if (loaded.image.isNull()) {
            reportFailure(input, loaded.error);
            return failedStatus;
        }
        images << std::move(loaded.image);
    }
    const StitchResult stitched = stitchImages(images, stitching);
    images.clear();
    if (!stitched.ok()) {
        reportFailure(QStringLiteral("stitch"),
                      describeStitchFailure(*stitched.failure, options.inputs, stitching.direction) +
                          hintFor(*stitched.failure));
        return failedStatus;
    }

    if (open) {
        const QString failure = openCaptureInWindow(
            stitched.image,
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/captures"),
            QDateTime::currentDateTime(), QCoreApplication::applicationFilePath());
        if (!failure.isEmpty()) {
            reportFailure(QStringLiteral("--open"), failure);
            return failedStatus;
        }
        return 0;
    }

    const ExportFormat format = options.format ? *options.format
                                : formatFromName(output) ? *formatFromName(output)
                                : styled                 ? recipe->settings.exportFormat
                                                         : settingsFormat;
    const ComposeJob job{QStringLiteral("stitch"), output, format, {}, options.copy};
    // Like a capture: the images' own pixels unless --scale says otherwise.
    const double scale = exportScaleFor(stitched.image, options.scale);
    JobOutcome outcome;
    if (styled) {
        recipe->settings.exportScale = scale;
        outcome = composeLoaded(stitched.image, job, *recipe);
    } else {
        outcome = writePlain(stitched.image, job, scale);
    }
    if (!outcome.written) {
        reportFailure(QStringLiteral("stitch"), outcome.error);
        return failedStatus;
    }
    if (!output.isEmpty())
        printLine(stdout, output);
    if (options.copy) {
        if (const QString failure = keepOnClipboardAfterExit(outcome.clipboardPng); !failure.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), failure);
            return failedStatus;
        }
    }
    return 0;
}

QString stitchHelp()
{
    return QStringLiteral(R"(usage: lustrelab stitch IMAGE IMAGE... (-o OUTPUT | --copy | --open) [options]

Joins screenshots that overlap, in the order given, into one: a long page
captured a screen at a time becomes one image. The overlap is found from
the pixels; rows that stay the same at the top and bottom of every image
(a sticky header, a fixed footer) are kept once.

  -o, --output PATH     The file to write (a folder receives
                        "FIRST-stitched.png"). Never one of the inputs.
  --copy                Puts the result on the clipboard (with -o as well).
  --open                Opens the result, unstyled, as a new tab of the
                        window (starting one when none runs).
  --horizontal          Images side by side, left to right, instead of top
                        to bottom.
  --fit                 Scales images of different widths (heights with
                        --horizontal) to the narrowest instead of refusing.
  --no-overlap-ok       Joins images that share nothing edge to edge
                        instead of refusing them.
  --scale N             Scale of the written image; default the images' own
                        pixel ratio (every pixel kept).
  --format png|jpeg     Encoding; else the output's suffix, else PNG.
  --styled              Styles the result with the default styling.
  --settings FILE, --template NAME, --set FIELD=VALUE, --annotations FILE,
  --redact              Style the result as compose does (see compose
                        --help); without any of them the result is plain.
  -h, --help            This text.

Exit status: 0 written; 1 an image could not be read, two neighbours do
not overlap or differ in width (one line on standard error names them), or
the write failed; 2 usage error.)");
}

} // namespace lustrelab
