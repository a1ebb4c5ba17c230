#include "batch_runner.h"

#include "base/mapped_image.h"
#include "base/row_bands.h"
#include "io/export_service.h"
#include "io/image_loader.h"
#include "io/png_encoder.h"
#include "io/project_file.h"
#include "io/text_redaction.h"
#include "render/content_margins.h"
#include "render/crop_geometry.h"
#include "render/image_processor.h"
#include "size_guard.h"

#include <QTemporaryDir>
#include <future>
#include <new>
#include <system_error>

namespace lustrelab {

namespace {

JobOutcome failed(QString error)
{
    return {false, std::move(error), {}};
}

QString notEnoughMemory(QSizeF canvas)
{
    return QStringLiteral("not enough memory to compose %1 x %2 pixels")
        .arg(canvas.width())
        .arg(canvas.height());
}

// The pixels of the screenshot that are styled: a crop keeps only part of it
// (all of it when it keeps no pixel), and Auto-Balance leaves out the
// single-coloured margins a capture brought along, so that a screenshot with
// such margins composes to a smaller canvas than its size alone gives.
QSize styledPixels(const QImage& image, const std::optional<UnitRect>& crop, const BeautySettings& settings)
{
    QRect kept = crop ? cropPixels(image, *crop) : image.rect();
    if (kept.isEmpty())
        kept = image.rect();
    if (!settings.autoBalance)
        return kept.size();
    if (kept == image.rect())
        return contentRect(image).size();
    // A view of the kept part rather than a copy where the pixels allow: the
    // screenshot may be large.
    if (image.depth() % 8 != 0)
        return contentRect(image.copy(kept)).size();
    const QImage part(image.constScanLine(kept.top()) + qsizetype(kept.left()) * (image.depth() / 8),
                      kept.width(), kept.height(), image.bytesPerLine(), image.format());
    return contentRect(part).size();
}

JobOutcome composeAndWrite(const ComposeJob& job, const ComposeRecipe& recipe)
{
    const BeautySettings& settings = recipe.settings;
    std::future<QImage> canvasBuffer;
    // Refused on the header's size, before the pixels are decoded.
    LoadedImage loaded = loadImage(job.input, maxImagePixels, [&](QSize size) {
        QString refused = checkComposedSize(size, settings, maxImagePixels);
        if (refused.isEmpty())
            canvasBuffer = prepareCanvas(ImageProcessor::canvasPixelsFor(size, 1.0, settings).toSize());
        return refused;
    });
    if (loaded.image.isNull())
        return failed(loaded.error);
    return composeLoaded(std::move(loaded.image), job, recipe, std::move(canvasBuffer));
}

// A project's screenshot with its own styling and annotations, unless the
// command line replaced them.
JobOutcome composeProject(const ComposeJob& job, const ComposeRecipe& recipe)
{
    QString error;
    std::optional<ProjectContents> project = readProjectFile(job.input, &error);
    if (!project)
        return failed(error);
    // The picture it carries is placed for this composition only.
    QTemporaryDir pictures;
    if (!pictures.isValid() || !placeBackgroundImage(*project, pictures.path(), &error))
        return failed(error.isEmpty() ? QStringLiteral("cannot make a temporary folder") : error);
    ComposeRecipe own = recipe;
    Document& document = project->document;
    if (!recipe.settingsGiven) {
        std::optional<BeautySettings> settings =
            applySettingsAssignments(document.settings, recipe.assignments, &error);
        if (!settings)
            return failed(QStringLiteral("--set: %1").arg(error));
        if (recipe.scale)
            settings->exportScale = *recipe.scale;
        own.settings = std::move(*settings);
    }
    if (!recipe.annotationsGiven)
        own.annotations = std::move(document.annotations);
    return composeLoaded(std::move(document.screenshot), job, own);
}

} // namespace

std::future<QImage> prepareCanvas(QSize canvas)
{
    if (qint64(canvas.width()) * canvas.height() < (qint64(1) << 20))
        return {};
    try {
        return std::async(std::launch::async,
                          [canvas] { return makeMappedImage(canvas, QImage::Format_ARGB32_Premultiplied); });
    } catch (const std::system_error&) {
        return {};
    }
}

JobOutcome composeLoaded(QImage image, const ComposeJob& job, const ComposeRecipe& recipe,
                         std::future<QImage> canvasBuffer)
{
    const BeautySettings& settings = recipe.settings;
    // Again on the decoded size, which a format's header may not have told.
    const double ratio = image.devicePixelRatio(); // a capture of a HiDPI screen is not at 1
    if (QString tooLarge = checkComposedSize(image.size(), settings, maxImagePixels, ratio);
        !tooLarge.isEmpty())
        return failed(tooLarge);

    if (recipe.redact) {
        QString error;
        std::optional<QImage> redacted = redactSensitiveText(image, QStringLiteral("eng"), nullptr, &error);
        if (!redacted)
            return failed(error);
        image = std::move(*redacted);
    }
    ImageProcessor processor;
    if (canvasBuffer.valid())
        processor.offerCanvas(canvasBuffer.get());
    const Annotations& a = recipe.annotations;
    const QSizeF canvas =
        ImageProcessor::canvasPixelsFor(styledPixels(image, a.crop, settings), ratio, settings);
    const QImage composed = processor.compose(image, settings, a);
    // The guard let the size through, so a missing canvas, or one without the
    // frame that was to grow it, means memory ran out on the way.
    if (composed.isNull() || QSizeF(composed.size()) != canvas)
        return failed(notEnoughMemory(canvas));
    image = QImage(); // the source is no longer needed; free it before encoding

    if (!job.output.isEmpty()) {
        const ExportService::Result result =
            ExportService().saveToFile(composed, job.output, job.format, settings.exportScale);
        if (!result.written)
            return failed(QStringLiteral("cannot write %1: %2").arg(job.output, result.error));
    }
    JobOutcome outcome{true, {}, {}};
    if (job.copy) {
        QString error;
        outcome.clipboardPng =
            PngEncoder::encode(ExportService::scaleImage(composed, settings.exportScale), &error);
        if (outcome.clipboardPng.isEmpty())
            return failed(QStringLiteral("cannot encode the copy: %1").arg(error));
    }
    return outcome;
}

JobOutcome runComposeJob(const ComposeJob& job, const ComposeRecipe& recipe)
{
    if (!job.error.isEmpty())
        return failed(job.error);
    try {
        if (isProjectFile(job.input))
            return composeProject(job, recipe);
        return composeAndWrite(job, recipe);
    } catch (const std::bad_alloc&) {
        // Qt's containers throw when an allocation fails; a huge input must
        // end in a line, not in an aborted process.
        return failed(QStringLiteral("not enough memory"));
    }
}

QList<JobOutcome> runComposeJobs(const QList<ComposeJob>& jobs, const ComposeRecipe& recipe)
{
    if (jobs.size() == 1)
        return {runComposeJob(jobs.front(), recipe)};
    // Each job writes its own outcome, in place: the result is complete once
    // the pool hands back, with no gathering step of Qt's in between.
    QList<JobOutcome> outcomes(jobs.size());
    JobOutcome* const out = outcomes.data();
    runOnPool(int(jobs.size()), [&](int i) { out[i] = runComposeJob(jobs[i], recipe); });
    return outcomes;
}

} // namespace lustrelab
