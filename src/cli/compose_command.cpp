#include "compose_command.h"

#include "annotations_file.h"
#include "batch_runner.h"
#include "compose_options.h"
#include "console.h"
#include "io/clipboard_handover.h"
#include "io/image_loader.h"
#include "io/json_file.h"
#include "io/project_file.h"
#include "output_plan.h"
#include "template_lookup.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <algorithm>
#include <memory>

namespace lustrelab {

namespace {

constexpr int failedStatus = 1;
constexpr int usageStatus = 2;

std::optional<BeautySettings> readSettingsFile(const QString& path)
{
    QString error;
    if (const std::optional<Json> json = readJsonFile(path, &error))
        if (auto settings = beautySettingsFromJson(*json, &error))
            return settings;
    reportFailure(path, error);
    return std::nullopt;
}

std::optional<Annotations> readAnnotationsFile(const QString& path)
{
    QString error;
    if (const std::optional<Json> json = readJsonFile(path, &error))
        if (auto annotations = annotationsFromJson(*json, &error))
            return annotations;
    reportFailure(path, error);
    return std::nullopt;
}

std::optional<BeautySettings> resolveComposeSettings(const ComposeOptions& options)
{
    std::optional<BeautySettings> base = BeautySettings{};
    if (!options.settingsFile.isEmpty())
        base = readSettingsFile(options.settingsFile);
    else if (!options.templateName.isEmpty())
        base = findTemplateSettings(options.templateName);
    if (!base)
        return std::nullopt;

    QString error;
    std::optional<BeautySettings> settings = applySettingsAssignments(*base, options.assignments, &error);
    if (!settings) {
        reportFailure(QStringLiteral("--set"), error);
        return std::nullopt;
    }
    if (options.scale)
        settings->exportScale = *options.scale;
    return settings;
}

} // namespace

std::optional<ComposeRecipe> resolveComposeRecipe(const ComposeOptions& options)
{
    std::optional<BeautySettings> settings = resolveComposeSettings(options);
    if (!settings)
        return std::nullopt;
    // A picture that is gone composes on white, as an unknown preset would:
    // worth a line, not a failure, since every output is still written.
    if (settings->backgroundType == BackgroundType::image && !QImageReader(settings->backgroundImagePath).canRead())
        reportFailure(settings->backgroundImagePath.isEmpty() ? QStringLiteral("backgroundImagePath")
                                                              : settings->backgroundImagePath,
                      QStringLiteral("background image cannot be read; composing on white"));
    ComposeRecipe recipe;
    recipe.settings = *settings;
    recipe.redact = options.redact;
    recipe.assignments = options.assignments;
    recipe.scale = options.scale;
    recipe.settingsGiven = !options.settingsFile.isEmpty() || !options.templateName.isEmpty();
    recipe.annotationsGiven = !options.annotationsFile.isEmpty();
    if (!options.annotationsFile.isEmpty()) {
        std::optional<Annotations> annotations = readAnnotationsFile(options.annotationsFile);
        if (!annotations)
            return std::nullopt;
        recipe.annotations = std::move(*annotations);
    }
    return recipe;
}

void quietQtWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg && !qEnvironmentVariableIsSet("LUSTRELAB_QT_WARNINGS"))
        return;
    printLine(stderr, qFormatLogMessage(type, context, message));
}

int runComposeCommand(const QStringList& arguments, char* programName)
{
    const ComposeParse parse = parseComposeArguments(arguments);
    if (parse.options.help) {
        printLine(stdout, composeHelp());
        return 0;
    }
    if (!parse.usageError.isEmpty()) {
        printLine(stderr, QStringLiteral("lustrelab compose: %1").arg(parse.usageError));
        printLine(stderr, composeUsageLine());
        return usageStatus;
    }
    const ComposeOptions& options = parse.options;
    qInstallMessageHandler(quietQtWarnings);

    const std::optional<ComposeRecipe> recipe = resolveComposeRecipe(options);
    if (!recipe)
        return failedStatus;

    if (options.copy) {
        if (const QString problem = clipboardHandoverProblem(); !problem.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), problem);
            return failedStatus;
        }
    }
    OutputPlan plan =
        planOutputs(options.inputs, options.output, options.format, recipe->settings.exportFormat);
    if (options.copy) {
        plan.jobs.front().copy = true;
        if (options.output.isEmpty())
            plan.jobs.front().output.clear(); // a copy alone writes nothing
    }
    if (!plan.folder.isEmpty() && !QDir().mkpath(plan.folder)) {
        reportFailure(plan.folder, QFileInfo::exists(plan.folder)
                                       ? QStringLiteral("exists and is not a folder; several inputs need one")
                                       : QStringLiteral("cannot create the output folder"));
        return failedStatus;
    }

    // Texts need fonts, and fonts a QGuiApplication, but never a display:
    // compose must work over ssh, in CI and in cron jobs alike. Everything
    // else paints on images, which needs no platform at all, so without texts
    // the platform plugin and the font configuration (a good part of a
    // screenshot's whole run) are not loaded. Made only now, once every
    // argument and JSON file is known to be sound.
    int appArgc = 1; // Qt's own options (-platform, ...) are not ours to accept here
    char* appArgv[] = {programName, nullptr};
    // A copy is the exception: it needs the desktop's clipboard.
    std::unique_ptr<QCoreApplication> app;
    if (options.copy) {
        app = std::make_unique<QGuiApplication>(appArgc, appArgv);
        if (const QString problem = clipboardHandoverProblem(); !problem.isEmpty()) {
            reportFailure(QStringLiteral("--copy"), problem);
            return failedStatus;
        }
    } else if (!recipe->annotations.textOverlays.isEmpty() || !recipe->annotations.stepMarkers.isEmpty() ||
               std::any_of(options.inputs.cbegin(), options.inputs.cend(), isProjectFile)) {
        // Step markers draw their numbers in the system font; a project may hold either.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(appArgc, appArgv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, appArgv);
    }

    configureImageAllocationLimit();
    const QList<JobOutcome> outcomes = runComposeJobs(plan.jobs, *recipe);
    int status = 0;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i].written) {
            if (!plan.jobs[i].output.isEmpty())
                printLine(stdout, plan.jobs[i].output);
            if (plan.jobs[i].copy) {
                if (const QString failure = keepOnClipboardAfterExit(outcomes[i].clipboardPng);
                    !failure.isEmpty()) {
                    reportFailure(QStringLiteral("--copy"), failure);
                    status = failedStatus;
                }
            }
        } else {
            reportFailure(plan.jobs[i].input, outcomes[i].error);
            status = failedStatus;
        }
    }
    return status;
}

} // namespace lustrelab
