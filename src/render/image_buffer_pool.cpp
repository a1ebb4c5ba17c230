#include "image_buffer_pool.h"

#include "base/mapped_image.h"
#include "parallel_bands.h"

#include <atomic>
#include <cstring>
#include <utility>

namespace lustrelab {

namespace {

// Smaller buffers come from the heap, where freed ones are reused anyway.
constexpr qint64 mappedPixels = qint64(1) << 20;

} // namespace

// Whether the pool holds the last reference to the slot's buffer, so that it
// may be written or freed.
//
// Compositions run on a worker thread while the window keeps the previous
// output and lets go of it on its own thread, after its last read of the
// pixels (a repaint). Letting go is a releasing decrement of the shared count,
// but the counts are read here without ordering. The acquiring fence after
// counts of one pairs with that decrement: every read the other thread made
// of the pixels happens before anything written here next. Without it, the
// new composition's writes could become visible to a repaint still reading.
bool ImageBufferPool::isFree(const Slot& slot)
{
    if (slot.memory) {
        // The memory's holders: the pool, and its kept image if there is one.
        if (slot.memory.use_count() != (slot.image.isNull() ? 1 : 2))
            return false;
        if (!slot.image.isNull() && !slot.image.isDetached())
            return false;
    } else if (slot.image.isNull() || !slot.image.isDetached()) {
        return false;
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    return true;
}

QImage ImageBufferPool::take(QSize size, QImage::Format format, const std::function<bool(qint64)>& preferred)
{
    if (preferred) {
        for (Slot& slot : m_slots) {
            if (slot.image.size() == size && slot.image.format() == format &&
                preferred(slot.image.cacheKey()) && isFree(slot))
                return std::exchange(slot.image, QImage());
        }
    }
    for (Slot& slot : m_slots) {
        if (slot.image.size() == size && slot.image.format() == format && isFree(slot))
            return std::exchange(slot.image, QImage());
    }
    // Free memory large enough holds an image of any other size: a Padding
    // drag changes the canvas's size on every step, and only pages never
    // written before cost a fault. The most touched serves with the fewest.
    const size_t bytes = imageBytes(size, format);
    Slot* roomiest = nullptr;
    for (Slot& slot : m_slots) {
        if (slot.memory && slot.memory->capacity() >= bytes && isFree(slot) &&
            (!roomiest || slot.memory->touched() > roomiest->memory->touched()))
            roomiest = &slot;
    }
    if (roomiest) {
        roomiest->image = QImage();
        if (QImage image = imageOver(roomiest->memory, size, format); !image.isNull())
            return image;
    }
    // Nothing fits: free buffers, too small or of another size, are of no
    // further use.
    for (Slot& slot : m_slots)
        if (isFree(slot))
            slot = {};
    if (qint64(size.width()) * size.height() < mappedPixels || bytes == 0)
        return QImage(size, format);
    // Half as much again of address space, faulted in only when a larger
    // canvas writes it: a growing canvas then stays in the same memory.
    std::shared_ptr<ImageMemory> memory = ImageMemory::map(bytes + bytes / 2, bytes);
    QImage image = imageOver(memory, size, format);
    if (image.isNull())
        return QImage(size, format);
    remember({{}, std::move(memory)});
    return image;
}

void ImageBufferPool::keep(const QImage& image)
{
    if (image.isNull())
        return;
    for (Slot& slot : m_slots) {
        if (slot.memory && slot.memory->data() == image.constBits()) {
            slot.image = image;
            return;
        }
    }
    remember({image, nullptr});
}

void ImageBufferPool::remember(Slot slot)
{
    for (Slot& kept : m_slots) {
        if (kept.image.isNull() && !kept.memory) {
            kept = std::move(slot);
            return;
        }
    }
    // Full: let go of the longest-kept buffer.
    m_slots[m_next++ % m_slots.size()] = std::move(slot);
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
