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

QuickCapture::QuickCapture(TemplateManager& templates, ClipboardService& clipboard, QObject* parent)
    : QObject(parent), m_templates(templates), m_clipboard(clipboard)
{
    m_pool.setMaxThreadCount(1); // captures finish in the order they were taken
}

QuickCapture::~QuickCapture()
{
    waitForPool(m_pool);
}

bool QuickCapture::take(const QImage& capture, const BeautySettings& currentStyling)
{
    const PreferencesStore preferences;
    const PreferencesStore::AfterCapture mode = preferences.afterCapture();
    if (mode == PreferencesStore::AfterCapture::openInNewTab)
        return false;

    BeautySettings settings = currentStyling;
    if (const QString name = preferences.quickCaptureTemplate(); !name.isEmpty()) {
        const auto& templates = m_templates.templates();
        const auto chosen = std::find_if(templates.begin(), templates.end(),
                                         [&name](const Template& t) { return t.name == name; });
        if (chosen == templates.end()) {
            deliver(capture, {{}, {}, tr("The template \"%1\" no longer exists.").arg(name)});
            return true;
        }
        settings = chosen->settings;
    }
    const QString folder = mode == PreferencesStore::AfterCapture::styleCopyAndSave
                               ? preferences.quickCaptureFolder()
                               : QString();

    const double scale = exportScaleFor(capture, preferences.defaultExportScale());
    runThenDeliver(
        m_pool, this,
        [capture, settings, folder, scale] {
            Outcome outcome;
            const QImage composed = ImageProcessor().compose(capture, settings, {}, {}, {});
            if (composed.isNull()) {
                outcome.failure = tr("There is not enough memory to style it.");
                return outcome;
            }
            outcome.styled = ExportService::scaleImage(composed, scale);
            if (folder.isEmpty())
                return outcome;
            if (!QDir().mkpath(folder)) {
                outcome.failure = tr("The folder %1 cannot be created.").arg(folder);
                return outcome;
            }
            const QString path =
                captureFilePath(folder, QDateTime::currentDateTime(), settings.exportFormat,
                                [](const QString& taken) { return QFileInfo::exists(taken); });
            const ExportService::Result saved =
                ExportService().saveToFile(outcome.styled, path, settings.exportFormat, 1.0);
            if (!saved.written)
                outcome.failure = tr("It could not be saved to %1: %2").arg(path, saved.error);
            else
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
        report(
            {tr("Screenshot not styled"), outcome.failure + u' ' + tr("It is waiting in a new tab."), {}, {}},
            capture);
        return;
    }
    m_clipboard.writeImage(outcome.styled);
    if (outcome.savedPath.isEmpty())
        report({tr("Styled screenshot copied"), tr("Paste it anywhere."), outcome.styled,
                tr("Open in Lustrelab")},
               capture);
    else
        report({tr("Styled screenshot copied and saved"), outcome.savedPath, outcome.styled,
                tr("Open in Lustrelab")},
               capture);
}

void QuickCapture::report(const DesktopNotifier::Notification& notification, const QImage& capture)
{
    DesktopNotifier::Action open;
    if (!notification.actionLabel.isEmpty())
        open = [this, capture](const QString& token) { emit openRequested(capture, true, token); };
    m_notifier.notify(notification, std::move(open));
    emit finished(notification.summary, notification.body);
}

} // namespace lustrelab
