#pragma once

#include "annotations_file.h"
#include "model/beauty_settings.h"
#include "output_plan.h"
#include "settings_assignment.h"

#include <QImage>
#include <QList>
#include <QString>
#include <future>

namespace lustrelab {

// What every input of one `compose` run shares.
struct ComposeRecipe
{
    BeautySettings settings; // exportScale already final
    Annotations annotations;
    bool redact = false; // cover the secrets in each screenshot's text first
    // A project brings its own styling and annotations. What was typed still
    // applies to it: --set and --scale on top of its styling, and a styling
    // or annotations file given outright in place of its own.
    QList<SettingsAssignment> assignments;
    std::optional<double> scale;
    bool settingsGiven = false;    // --settings or --template
    bool annotationsGiven = false; // --annotations
};

struct JobOutcome
{
    bool written = false;    // done: written and/or encoded for the clipboard
    QString error;           // for the user, without the input's name
    QByteArray clipboardPng; // the exported image when the job asked for a copy
};

// Composes one input and writes it. Builds its own ImageProcessor and
// ExportService, so any number of these may run at once.
JobOutcome runComposeJob(const ComposeJob& job, const ComposeRecipe& recipe);

// Composes an image already in memory (a screen capture) and writes it to
// job.output, when there is one, and encodes it for the clipboard when the
// job asks for a copy; job.input only names it in messages. `canvasBuffer` is an
// optional canvas being prepared on another thread.
JobOutcome composeLoaded(QImage image, const ComposeJob& job, const ComposeRecipe& recipe,
                         std::future<QImage> canvasBuffer = {});

// Faulting a fresh canvas in is a good part of composing it: the kernel
// zeroes every page. Done on another core ahead of time (while a file is
// decoded, or while a capture runs), it is out of the way when composing
// starts. Small canvases are not worth a thread: no thread, no head start.
std::future<QImage> prepareCanvas(QSize canvas);

// Runs every job that the plan did not refuse, in parallel on all cores, and
// returns one outcome per job in the jobs' order. A failing job never stops
// the others.
QList<JobOutcome> runComposeJobs(const QList<ComposeJob>& jobs, const ComposeRecipe& recipe);

} // namespace lustrelab
