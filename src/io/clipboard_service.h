#pragma once

#include "image_decoder.h"

#include <QImage>
#include <QPointer>
#include <optional>

class QClipboard;

namespace lustrelab {

// The only reader and writer of the system clipboard. It holds the
// application's clipboard, fixed at creation; without a GUI application
// (command line, headless tools) it holds none and does nothing.
class ClipboardService
{
  public:
    ClipboardService();
    explicit ClipboardService(QClipboard* clipboard);

    // The first image on the clipboard, decoded here and now, or nothing.
    // See mimeOffersImage for what counts as an image.
    std::optional<QImage> readImage() const;

    // Cheap check from the offered types only, for the paste that runs when a
    // window appears: true when readImage may give an image.
    bool canReadImage() const;

    // The undecoded image reference on the clipboard, for callers that decode
    // off the main thread (pasting a large file must not freeze the window).
    ImageSource readImageSource() const;

    // Clears the clipboard, then offers `image` as its only item, losslessly
    // (image/png first, see ImageMimeData). False without a clipboard.
    bool writeImage(const QImage& image) const;

  private:
    QPointer<QClipboard> m_clipboard;
};

} // namespace lustrelab
