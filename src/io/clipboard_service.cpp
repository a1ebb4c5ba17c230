#include "clipboard_service.h"

#include "image_mime_data.h"
#include "mime_image_source.h"

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

ClipboardService::ClipboardService(QClipboard* clipboard) : m_clipboard(clipboard) {}

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

bool ClipboardService::writeImage(const QImage& image) const
{
    if (!m_clipboard)
        return false;
    m_clipboard->clear(QClipboard::Clipboard);
    m_clipboard->setMimeData(new ImageMimeData(image), QClipboard::Clipboard);
    return true;
}

bool ClipboardService::canReadImage() const
{
    const QMimeData* mime = m_clipboard ? m_clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    return mime && mimeOffersImage(*mime);
}

} // namespace lustrelab
