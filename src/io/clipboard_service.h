#pragma once

#include "desktop_notifier.h"
#include "image_decoder.h"

#include <QFuture>
#include <QImage>
#include <QPointer>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

class QClipboard;

namespace lustrelab {

// The only reader and writer of the system clipboard. It holds the
// application's clipboard, fixed at creation; without a GUI application
// (command line, headless tools) it holds none and does nothing.
class ClipboardService
{
  public:
    // Why copies cannot outlive this process here, or empty when they can.
    using HandoverProblem = std::function<QString()>;

    ClipboardService();
    // Without `handoverProblem`, the desktop's own answer: on Wayland a copy
    // needs wl-copy; on X11 a holder always takes it.
    explicit ClipboardService(QClipboard* clipboard, HandoverProblem handoverProblem = {});
    ~ClipboardService();

    // The first image on the clipboard, decoded here and now, or nothing.
    // See mimeOffersImage for what counts as an image.
    std::optional<QImage> readImage() const;

    // Cheap check from the offered types only, for the paste that runs when a
    // window appears: true when readImage may give an image.
    bool canReadImage() const;

    // The undecoded image reference on the clipboard, for callers that decode
    // off the main thread (pasting a large file must not freeze the window).
    ImageSource readImageSource() const;

    // Offers `image` as the clipboard's only item, losslessly (image/png
    // first, see ImageMimeData). The PNG other programs read is encoded on a
    // worker first, so a large copy never stalls the window while they read
    // it; the clipboard changes once it is ready. A later copy supersedes one
    // still encoding. The future gives true once the image is offered, false
    // without a clipboard or when superseded. The first image offered that
    // cannot stay on the clipboard once the window quits says so, and why,
    // in a desktop notification: a user started from a launcher sees no
    // terminal.
    QFuture<bool> writeImage(const QImage& image);
    // Offers plain text (recognised from a screenshot) as the clipboard's only item.
    void writeText(const QString& text);

  private:
    QPointer<QClipboard> m_clipboard;
    HandoverProblem m_handoverProblem;
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::shared_ptr<bool> m_warnedOfExit = std::make_shared<bool>(false); // read on the clipboard's thread
    std::unique_ptr<QThreadPool> m_encoder; // one thread: copies are offered in order
    std::shared_ptr<quint64> m_latestCopy = std::make_shared<quint64>(0); // read on the clipboard's thread
};

} // namespace lustrelab
