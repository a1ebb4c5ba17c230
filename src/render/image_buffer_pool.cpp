#include "image_buffer_pool.h"

#include "mapped_image.h"
#include "parallel_bands.h"

#include <atomic>
#include <cstring>

namespace lustrelab {

namespace {

// Smaller buffers come from the heap, where freed ones are reused anyway.
constexpr qint64 mappedPixels = qint64(1) << 20;

// Whether the pool holds the last reference to `slot`, so that it may be
// written or freed.
//
// Compositions run on a worker thread while the window keeps the previous
// output and lets go of it on its own thread, after its last read of the
// pixels (a repaint). Letting go is a releasing decrement of the shared count,
// but isDetached() reads the count without ordering. The acquiring fence after
// a count of one pairs with that decrement: every read the other thread made
// of the pixels happens before anything written here next. Without it, the
// new composition's writes could become visible to a repaint still reading.
bool isOnlyHolder(const QImage& slot)
{
    if (slot.isNull() || !slot.isDetached())
        return false;
    std::atomic_thread_fence(std::memory_order_acquire);
    return true;
}

} // namespace

QImage ImageBufferPool::take(QSize size, QImage::Format format)
{
    for (QImage& slot : m_slots) {
        if (slot.size() == size && slot.format() == format && isOnlyHolder(slot)) {
            QImage image = std::move(slot);
            slot = QImage();
            return image;
        }
    }
    // Nothing fits: free buffers of another size are of no further use.
    for (QImage& slot : m_slots)
        if (isOnlyHolder(slot))
            slot = QImage();
    // A canvas-sized buffer is mapped in huge pages, faulted in at once.
    if (qint64(size.width()) * size.height() >= mappedPixels) {
        if (QImage image = makeMappedImage(size, format); !image.isNull())
            return image;
    }
    return QImage(size, format);
}

void ImageBufferPool::keep(const QImage& image)
{
    if (image.isNull())
        return;
    for (QImage& slot : m_slots) {
        if (slot.isNull()) {
            slot = image;
            return;
        }
    }
    // Full: let go of the longest-kept buffer.
    m_slots[m_next++ % m_slots.size()] = image;
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

void copyPixels(const QImage& from, QImage& to, const QRect& area)
{
    const QRect cut = area.intersected(from.rect()).intersected(to.rect());
    if (cut.isEmpty())
        return;
    const int bytesPerPixel = to.depth() / 8;
    const size_t offset = size_t(cut.x()) * size_t(bytesPerPixel);
    const size_t rowBytes = size_t(cut.width()) * size_t(bytesPerPixel);
    const uchar* source = from.constBits();
    uchar* target = to.bits(); // once: scanLine() on a writable image is not thread-safe
    const qsizetype sourceStride = from.bytesPerLine(), targetStride = to.bytesPerLine();
    runInBands(cut.height(), [&](int begin, int end) {
        for (int y = cut.y() + begin; y < cut.y() + end; ++y)
            std::memcpy(target + targetStride * y + offset, source + sourceStride * y + offset, rowBytes);
    });
}

} // namespace lustrelab
