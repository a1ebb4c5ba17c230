// AppState's operations that move images in and out of the application:
// clipboard, drops, export and screen capture.
#include "app_state.h"
#include "export_scale.h"
#include "io/mime_image_source.h"

#include <QFileInfo>
#include <QFuture>

namespace lustrelab {

namespace {

// Waits for the capture on the event loop; what it gives opens in a new tab
// unless the preferences ask for a quick capture.
// A mode, or one monitor of the screen.
struct CaptureTarget
{
    CaptureMode mode = CaptureMode::fullScreen;
    std::optional<MonitorChoice> monitor;
};

void captureNow(AppState& state, const CaptureTarget& target, bool returnAfterwards)
{
    ScreenCaptureService& service = state.screenCaptureService();
    QFuture<QImage> taken = target.monitor ? service.captureMonitor(*target.monitor) : service.capture(target.mode);
    taken.then(&state, [&state, returnAfterwards](const QImage& image) {
        // The capture brought the windows back from its own hiding; these
        // were taken away for the countdown before it.
        if (returnAfterwards)
            if (ApplicationPresence* presence = state.screenCaptureService().presence())
                presence->showApplication();
        if (!image.isNull() && !state.quickCapture().take(image, state.settings()))
            state.loadImage(image, true);
    });
}

void startCapture(AppState& state, const CaptureTarget& target)
{
    const int delay = state.preferences().captureDelay();
    CaptureCountdown& countdown = state.captureCountdown();
    if (countdown.isRunning())
        return;
    if (delay <= 0) {
        captureNow(state, target, false);
        return;
    }
    // Out of the way while the user prepares the screen (opens a menu).
    if (ApplicationPresence* presence = state.screenCaptureService().presence())
        presence->hideApplication();
    auto* once = new QObject(&state); // the connections of this one countdown
    auto end = [&countdown, once] {
        QObject::disconnect(&countdown, nullptr, once, nullptr);
        once->deleteLater();
    };
    QObject::connect(&countdown, &CaptureCountdown::elapsed, once, [&state, target, end] {
        end();
        captureNow(state, target, true);
    });
    QObject::connect(&countdown, &CaptureCountdown::cancelled, once, [&state, end] {
        end();
        if (ApplicationPresence* presence = state.screenCaptureService().presence())
            presence->showApplication();
    });
    countdown.start(delay);
}

// Runs `use` on the event loop once the decode is done, never inside the
// caller, even when the image was ready at once: a drop handler must have
// answered before the model changes.
void whenDecoded(QFuture<QImage> decoding, AppState* state, std::function<void(const QImage&)> use)
{
    decoding.then(state, [state, use](const QImage& image) {
        if (!image.isNull())
            QMetaObject::invokeMethod(
                state, [image, use] { use(image); }, Qt::QueuedConnection);
    });
}

// What a tab for the image of `source` is named after: the file's name, or
// nothing for image data, which gets the time instead.
QString fileNameOf(const ImageSource& source)
{
    return source.kind == ImageSource::Kind::file ? QFileInfo(source.filePath).fileName() : QString();
}

} // namespace

void AppState::pasteImage()
{
    const ImageSource source = m_clipboardService.readImageSource();
    if (source.isEmpty())
        return;
    const auto replace = [this, name = fileNameOf(source)](const QImage& image) {
        if (image.isNull())
            return;
        // The screenshot it replaces comes back with Undo; filling an empty
        // tab replaces nothing and is no step.
        if (const ScreenshotTab* tab = currentTab(); tab && tab->hasImage())
            saveToHistory();
        setSourceImage(image);
        nameCurrentTab(name);
        processImage();
    };
    if (source.kind == ImageSource::Kind::image) {
        replace(decodeImage(source));
        return;
    }
    whenDecoded(decodeImageAsync(source), this, replace);
}

bool AppState::dropMimeData(const QMimeData& mime)
{
    const ImageSource source = imageSourceFromMime(mime);
    if (source.isEmpty())
        return false;
    whenDecoded(decodeImageAsync(source), this,
                [this, name = fileNameOf(source)](const QImage& image) { loadImage(image, false, name); });
    return true;
}

void AppState::copyToClipboard()
{
    // At the scale an export would have, so a copy and a saved file agree.
    if (const ScreenshotTab* tab = currentTab(); tab && tab->processedImage)
        m_clipboardService.writeImage(ExportService::scaleImage(
            *tab->processedImage, exportScaleFor(*tab->processedImage, m_preferences.defaultExportScale())));
}

void AppState::pinToScreen()
{
    if (const ScreenshotTab* tab = currentTab(); tab && tab->processedImage)
        m_screenPins.pin(*tab->processedImage);
}

ExportService::Result AppState::exportImage(const QUrl& destination, ExportFormat format, double scale)
{
    const ScreenshotTab* tab = currentTab();
    return m_exports.write(tab ? tab->processedImage : std::nullopt, destination, format, scale);
}

void AppState::exportImageInBackground(const QUrl& destination, ExportFormat format, double scale)
{
    // The copy shares the pixels: a composition stored meanwhile replaces the
    // tab's image, never these.
    const ScreenshotTab* tab = currentTab();
    m_exports.enqueue(tab ? tab->processedImage : std::nullopt, destination, format, scale);
}

void AppState::startRegionCapture()
{
    startCapture(*this, {CaptureMode::region, std::nullopt});
}

void AppState::startWindowCapture()
{
    startCapture(*this, {CaptureMode::window, std::nullopt});
}

void AppState::startFullScreenCapture()
{
    startCapture(*this, {CaptureMode::fullScreen, std::nullopt});
}

void AppState::startCurrentScreenCapture()
{
    startCapture(*this, {CaptureMode::fullScreen, MonitorChoice::current()});
}

} // namespace lustrelab
