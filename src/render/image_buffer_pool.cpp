#include "image_buffer_pool.h"

#include "mapped_image.h"
#include "parallel_bands.h"

#include <cstring>

namespace lustrelab {

namespace {

// Smaller buffers come from the heap, where freed ones are reused anyway.
constexpr qint64 kMappedPixels = qint64(1) << 20;

} // namespace

QImage ImageBufferPool::take(QSize size, QImage::Format format)
{
    for (QImage& slot : slots_) {
        if (!slot.isNull() && slot.isDetached() && slot.size() == size && slot.format() == format) {
            QImage image = std::move(slot);
            slot = QImage();
            return image;
        }
    }
    // Nothing fits: free buffers of another size are of no further use.
    for (QImage& slot : slots_)
        if (!slot.isNull() && slot.isDetached())
            slot = QImage();
    // A canvas-sized buffer is mapped in huge pages, faulted in at once.
    if (qint64(size.width()) * size.height() >= kMappedPixels) {
        if (QImage image = makeMappedImage(size, format); !image.isNull())
            return image;
    }
    return QImage(size, format);
}

void ImageBufferPool::keep(const QImage& image)
{
    if (image.isNull())
        return;
    for (QImage& slot : slots_) {
        if (slot.isNull()) {
            slot = image;
            return;
        }
    }
    // Full: let go of the longest-kept buffer.
    slots_[next_++ % slots_.size()] = image;
}

void copyPixels(const QImage& from, QImage& to)
{
    const size_t rowBytes = size_t(std::min(from.bytesPerLine(), to.bytesPerLine()));
    const uchar* source = from.constBits();
    uchar* target = to.bits(); // once: scanLine() on a writable image is not thread-safe
    const qsizetype sourceStride = from.bytesPerLine(), targetStride = to.bytesPerLine();
    runInBands(std::min(from.height(), to.height()), [&](int begin, int end) {
        if (sourceStride == targetStride) {
            std::memcpy(target + targetStride * begin, source + sourceStride * begin,
                        size_t(sourceStride) * size_t(end - begin));
            return;
        }
        for (int y = begin; y < end; ++y)
            std::memcpy(target + targetStride * y, source + sourceStride * y, rowBytes);
    });
}

} // namespace lustrelab
