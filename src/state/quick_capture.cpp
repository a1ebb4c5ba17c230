#include "quick_capture.h"

#include "base/run_then_deliver.h"
#include "export_scale.h"
#include "io/capture_file_name.h"
#include "io/clipboard_service.h"
#include "io/export_service.h"
#include "preferences_store.h"
#include "render/image_processor.h"
#include "template_manager.h"

#include <QDir>
#include <QFileInfo>

namespace lustrelab {

QuickCapture::QuickCapture(TemplateManager& templates, ClipboardService& clipboard,
                           const PreferencesStore& preferences, QObject* parent)
    : QObject(parent), m_templates(templates), m_clipboard(clipboard), m_preferences(preferences)
{
    m_pool.setMaxThreadCount(1); // captures finish in the order they were taken
}

QuickCapture::~QuickCapture()
{
    waitForPool(m_pool);
}

bool QuickCapture::take(const QImage& capture, const BeautySettings& currentStyling)
{
    const PreferencesStore& preferences = m_preferences;
    const PreferencesStore::AfterCapture mode = preferences.afterCapture();
    if (mode == PreferencesStore::AfterCapture::openInNewTab)
        return false;

    BeautySettings settings = currentStyling;
    if (const QString name = preferences.quickCaptureTemplate(); !name.isEmpty()) {
        const auto& templates = m_templates.templates();
        const auto chosen = std::find_if(templates.begin(), templates.end(),
                                         [&name](const Template& t) { return t.name == name; });
        if (chosen == templates.end()) {
            deliver(capture, {{}, {}, tr("The template \"%1\" no longer exists.").arg(name), false});
            return true;
        }
        settings = chosen->settings;
    }
    const QString folder = mode == PreferencesStore::AfterCapture::styleCopyAndSave
                               ? preferences.quickCaptureFolder()
                               : QString();

    const double scale = exportScaleFor(capture, preferences.defaultExportScale());
    const bool pins = mode == PreferencesStore::AfterCapture::styleAndPin;
    runThenDeliver(
        m_pool, this,
        [capture, settings, folder, scale, pins] {
            Outcome outcome;
            const QImage composed = ImageProcessor().compose(capture, settings);
            if (composed.isNull()) {
                outcome.failure = tr("There is not enough memory to style it.");
                return outcome;
            }
            // A pin shows the image at its screen's size, so it keeps its pixel ratio.
            outcome.styled = pins ? composed : ExportService::scaleImage(composed, scale);
            outcome.pinned = pins;
            if (folder.isEmpty())
                return outcome;
            outcome.unsaved = true; // until it is
            if (!QDir().mkpath(folder)) {
                outcome.failure = tr("The folder %1 cannot be created.").arg(folder);
                return outcome;
            }
            QString failure;
            const QString path =
                claimCaptureFilePath(folder, QDateTime::currentDateTime(), settings.exportFormat, &failure);
            if (path.isEmpty()) {
                outcome.failure = tr("It could not be saved in %1: %2").arg(folder, failure);
                return outcome;
            }
            const ExportService::Result saved =
                ExportService().saveToFile(outcome.styled, path, settings.exportFormat, 1.0);
            if (!saved.written) {
                QFile::remove(path); // the empty file that held the name
                outcome.failure = tr("It could not be saved in %1: %2").arg(folder, saved.error);
                return outcome;
            }
            outcome.unsaved = false;
            outcome.savedPath = path;
            return outcome;
        },
        [this, capture](const Outcome& outcome) { deliver(capture, outcome); });
    return true;
}

// Copies only what was also saved, when saving was asked: a failure changes
// nothing but the new tab that keeps the capture.
void QuickCapture::deliver(const QImage& capture, const Outcome& outcome)
{
    if (!outcome.failure.isEmpty()) {
        emit openRequested(capture, false);
        // The tab is there already: the action only brings it forward.
        report({outcome.unsaved ? tr("Screenshot not saved") : tr("Screenshot not styled"),
                outcome.failure + u' ' + tr("It is waiting in a new tab."),
                {},
                tr("Open in Lustrelab")},
               [this](const QString& token) { emit windowRequested(token); });
        return;
    }
    if (outcome.pinned) {
        emit pinRequested(outcome.styled); // seen at once: no notification needed
        return;
    }
    m_clipboard.writeImage(outcome.styled);
    const auto open = [this, capture](const QString& token) { emit openRequested(capture, true, token); };
    if (outcome.savedPath.isEmpty())
        report({tr("Styled screenshot copied"), tr("Paste it anywhere."), outcome.styled,
                tr("Open in Lustrelab")},
               open);
    else
        report({tr("Styled screenshot copied and saved"), outcome.savedPath, outcome.styled,
                tr("Open in Lustrelab")},
               open);
}

void QuickCapture::report(const DesktopNotifier::Notification& notification, DesktopNotifier::Action action)
{
    m_notifier.notify(notification, std::move(action));
    emit finished(notification.summary, notification.body);
}

} // namespace lustrelab
