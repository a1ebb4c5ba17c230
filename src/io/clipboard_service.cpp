#include "clipboard_service.h"

#include "base/run_then_deliver.h"
#include "clipboard_handover.h"
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

// On X11 a holder takes every copy over; elsewhere (offscreen) there is no
// desktop to tell.
QString desktopHandoverProblem()
{
    return QGuiApplication::platformName() == u"wayland" ? clipboardHandoverProblem() : QString();
}

} // namespace

ClipboardService::ClipboardService() : ClipboardService(applicationClipboard()) {}

ClipboardService::ClipboardService(QClipboard* clipboard, HandoverProblem handoverProblem)
    : m_clipboard(clipboard),
      m_handoverProblem(handoverProblem ? std::move(handoverProblem) : desktopHandoverProblem),
      m_notifier(std::make_unique<DesktopNotifier>()), m_encoder(std::make_unique<QThreadPool>())
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
    const auto warnOnce = [problem = m_handoverProblem, warned = m_warnedOfExit,
                           notifier = QPointer<DesktopNotifier>(m_notifier.get())] {
        if (*warned || !notifier)
            return;
        if (const QString why = problem(); !why.isEmpty()) {
            *warned = true;
            notifier->notify({QObject::tr("The copy goes when Lustrelab quits"), why, {}, {}});
        }
    };
    return runOnPool(*m_encoder, [image] { return PngEncoder::encode(image); })
        .then(m_clipboard.data(),
              [clipboard = m_clipboard, latest = m_latestCopy, copy, image, warnOnce](const QByteArray& png) {
                  if (!clipboard || *latest != copy)
                      return false;
                  clipboard->clear(QClipboard::Clipboard);
                  clipboard->setMimeData(new ImageMimeData(image, png), QClipboard::Clipboard);
                  warnOnce();
                  return true;
              });
}

bool ClipboardService::canReadImage() const
{
    const QMimeData* mime = m_clipboard ? m_clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    return mime && mimeOffersImage(*mime);
}

} // namespace lustrelab
