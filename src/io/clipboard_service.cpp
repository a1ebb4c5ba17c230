#include "clipboard_service.h"

#include "base/run_then_deliver.h"
#include "image_mime_data.h"
#include "mime_image_source.h"
#include "png_encoder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace lustrelab {

namespace {

QClipboard* applicationClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                        : nullptr;
}

} // namespace

ClipboardService::ClipboardService() : ClipboardService(applicationClipboard()) {}

ClipboardService::ClipboardService(QClipboard* clipboard)
    : m_clipboard(clipboard), m_encoder(std::make_unique<QThreadPool>())
{
    m_encoder->setMaxThreadCount(1);
}

ClipboardService::~ClipboardService()
{
    waitForPool(*m_encoder);
}

ImageSource ClipboardService::readImageSource() const
{
    const QMimeData* mime = m_clipboard ? m_clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    return mime ? imageSourceFromMime(*mime) : ImageSource{};
}

std::optional<QImage> ClipboardService::readImage() const
{
    const ImageSource source = readImageSource();
    if (source.isEmpty())
        return std::nullopt;
    QImage image = decodeImage(source);
    if (image.isNull())
        return std::nullopt;
    return image;
}

void ClipboardService::writeText(const QString& text)
{
    if (!m_clipboard)
        return;
    ++*m_latestCopy; // an image still being encoded must not replace the text
    m_clipboard->setText(text);
}

QFuture<bool> ClipboardService::writeImage(const QImage& image)
{
    if (!m_clipboard)
        return QtFuture::makeReadyFuture(false);
    const quint64 copy = ++*m_latestCopy;
    return runOnPool(*m_encoder, [image] { return PngEncoder::encode(image); })
        .then(m_clipboard.data(),
              [clipboard = m_clipboard, latest = m_latestCopy, copy, image](const QByteArray& png) {
                  if (!clipboard || *latest != copy)
                      return false;
                  clipboard->clear(QClipboard::Clipboard);
                  clipboard->setMimeData(new ImageMimeData(image, png), QClipboard::Clipboard);
                  return true;
              });
}

bool ClipboardService::canReadImage() const
{
    const QMimeData* mime = m_clipboard ? m_clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    return mime && mimeOffersImage(*mime);
}

} // namespace lustrelab
