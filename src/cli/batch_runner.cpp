#include "batch_runner.h"

#include "image_loader.h"
#include "io/export_service.h"
#include "render/image_processor.h"
#include "size_guard.h"

#include <QtConcurrent/QtConcurrentMap>

namespace lustrelab {

JobOutcome runComposeJob(const ComposeJob& job, const ComposeRecipe& recipe)
{
    if (!job.error.isEmpty())
        return {false, job.error};
    LoadedImage loaded = loadImage(job.input);
    if (loaded.image.isNull())
        return {false, loaded.error};
    if (QString tooLarge = checkComposedSize(loaded.image.size(), recipe.settings, kMaxImagePixels);
        !tooLarge.isEmpty())
        return {false, tooLarge};

    ImageProcessor processor;
    const Annotations& a = recipe.annotations;
    const QImage composed =
        processor.process(loaded.image, recipe.settings, a.textOverlays, a.shapeOverlays, a.removalAreas);
    if (composed.isNull())
        return {false, QStringLiteral("composition produced no image")};
    loaded.image = QImage(); // the source is no longer needed; free it before encoding

    const ExportService::Result result =
        ExportService().saveToFile(composed, job.output, job.format, recipe.settings.exportScale);
    if (!result.written)
        return {false, QStringLiteral("cannot write %1: %2").arg(job.output, result.error)};
    return {true, {}};
}

QList<JobOutcome> runComposeJobs(const QList<ComposeJob>& jobs, const ComposeRecipe& recipe)
{
    if (jobs.size() == 1)
        return {runComposeJob(jobs.front(), recipe)};
    return QtConcurrent::blockingMapped(
        jobs, [&recipe](const ComposeJob& job) { return runComposeJob(job, recipe); });
}

} // namespace lustrelab
