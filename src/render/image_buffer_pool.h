#pragma once

#include "base/mapped_image.h"

#include <QImage>
#include <array>
#include <functional>
#include <memory>

namespace lustrelab {

// Canvas-sized pixel buffers kept between compositions. Touching fresh memory
// for a 26 MB canvas costs more than composing it (the kernel maps and zeroes
// every page), so buffers are handed out again once every other holder has
// let go of them. A buffer still shared with a caller is never written.
class ImageBufferPool
{
  public:
    // An image of this size and format, detached, with undefined pixels
    // (a kept buffer of that very size still holds what it held: its
    // cacheKey() tells which).
    // With `preferred`, a free buffer of that size whose cacheKey() it
    // accepts is handed out before any other.
    QImage take(QSize size, QImage::Format format, const std::function<bool(qint64)>& preferred = {});
    // Remembers `image` for reuse once it is no longer shared.
    void keep(const QImage& image);

  private:
    // A buffer: a kept image, the memory a large one is made over, or both
    // (the memory of an image handed out, and then the image kept).
    struct Slot
    {
        QImage image;
        std::shared_ptr<ImageMemory> memory;
    };
    static bool isFree(const Slot& slot);
    void remember(Slot slot);

    // A base layer, the output the caller still shows, the output being made
    // and one spare.
    std::array<Slot, 4> m_slots;
    size_t m_next = 0;
};

// Copies the pixels of `from` into `to` (same size and format), split across cores.
void copyPixels(const QImage& from, QImage& to);
// As above, only the pixels inside `area` (cut to both images).
void copyPixels(const QImage& from, QImage& to, const QRect& area);

} // namespace lustrelab
