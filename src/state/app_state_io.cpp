// AppState's operations that move images in and out of the application:
// clipboard, drops, export and screen capture.
#include "app_state.h"
#include "io/image_mime_data.h"
#include "io/mime_image_source.h"
#include "model/thread_handover.h"

#include <QClipboard>
#include <QFuture>

namespace lustrelab {

namespace {

// Waits for the capture on the event loop and opens what it gives in a new tab.
void startCapture(AppState& state, CaptureMode mode)
{
    state.screenCaptureService().capture(mode).then(&state, [&state](const QImage& image) {
        if (!image.isNull())
            state.loadImage(image, true);
    });
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

ExportService::Result writeExport(const ExportService& service, const std::optional<QImage>& image,
                                  const QUrl& destination, ExportFormat format, double scale)
{
    if (!image)
        return {false, QStringLiteral("nothing composed to export")};
    if (!destination.isLocalFile())
        return {false, QStringLiteral("not a local file: %1").arg(destination.toString())};
    ExportService::Result result = service.saveToFile(*image, destination.toLocalFile(), format, scale);
    if (!result.written && result.error.isEmpty())
        result.error = QStringLiteral("the file was not written");
    return result;
}

} // namespace

void AppState::pasteImage()
{
    const ImageSource source = m_clipboardService.readImageSource();
    if (source.isEmpty())
        return;
    const auto replace = [this](const QImage& image) {
        if (image.isNull())
            return;
        setSourceImage(image);
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
    whenDecoded(decodeImageAsync(source), this, [this](const QImage& image) { loadImage(image, false); });
    return true;
}

void AppState::copyToClipboard()
{
    const ScreenshotTab* tab = currentTab();
    QClipboard* clipboard = m_clipboardService.clipboard();
    if (!tab || !tab->processedImage || !clipboard)
        return;
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setMimeData(new ImageMimeData(*tab->processedImage), QClipboard::Clipboard);
}

ExportService::Result AppState::exportImage(const QUrl& destination, ExportFormat format, double scale)
{
    const ScreenshotTab* tab = currentTab();
    return writeExport(m_exportService, tab ? tab->processedImage : std::nullopt, destination, format, scale);
}

void AppState::exportImageInBackground(const QUrl& destination, ExportFormat format, double scale)
{
    const ScreenshotTab* tab = currentTab();
    // The copy shares the pixels: a composition stored meanwhile replaces the
    // tab's image, never these.
    const std::optional<QImage> image = tab ? tab->processedImage : std::nullopt;
    // Even an export that cannot start is reported through the worker, so
    // that reports keep the order of the requests.
    publishToThread(&m_exportWorker);
    m_exportWorker.start([this, image, destination, format, scale] {
        receiveFromThread(&m_exportWorker);
        const ExportService::Result result = writeExport(m_exportService, image, destination, format, scale);
        publishToThread(&m_exportWorker);
        QMetaObject::invokeMethod(
            this,
            [this, destination, error = result.written ? QString() : result.error] {
                receiveFromThread(&m_exportWorker);
                emit exportFinished(destination, error);
            },
            Qt::QueuedConnection);
    });
}

void AppState::startRegionCapture()
{
    startCapture(*this, CaptureMode::region);
}

void AppState::startWindowCapture()
{
    startCapture(*this, CaptureMode::window);
}

void AppState::startFullScreenCapture()
{
    startCapture(*this, CaptureMode::fullScreen);
}

} // namespace lustrelab
