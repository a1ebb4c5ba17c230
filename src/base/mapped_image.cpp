#include "mapped_image.h"

#include <algorithm>
#include <limits>
#include <new>
#include <sys/mman.h>

namespace lustrelab {

namespace {

constexpr size_t hugePage = size_t(2) << 20;

size_t wholePages(size_t bytes)
{
    return (bytes + hugePage - 1) / hugePage * hugePage;
}

qsizetype bytesPerLine(int width, QImage::Format format)
{
    const QImage probe(1, 1, format);
    if (probe.isNull() || width <= 0)
        return 0;
    const qint64 bytes = (qint64(width) * probe.depth() + 31) / 32 * 4;
    return bytes > std::numeric_limits<int>::max() ? 0 : qsizetype(bytes);
}

void release(void* info)
{
    delete static_cast<std::shared_ptr<ImageMemory>*>(info);
}

} // namespace

std::shared_ptr<ImageMemory> ImageMemory::map(size_t capacity, size_t populated)
{
    if (capacity == 0 || capacity > std::numeric_limits<size_t>::max() - hugePage)
        return nullptr;
    const size_t length = wholePages(capacity);
    void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return nullptr;
    // Both are hints: without huge pages or MADV_POPULATE_WRITE (Linux 5.14)
    // the pages are faulted in as they are written, as any buffer's are.
    madvise(address, length, MADV_HUGEPAGE);
    const size_t populatedLength = std::min(length, wholePages(populated));
#ifdef MADV_POPULATE_WRITE
    if (populatedLength > 0)
        madvise(address, populatedLength, MADV_POPULATE_WRITE);
#endif
    auto* made = new (std::nothrow) ImageMemory(static_cast<uchar*>(address), length);
    if (!made) {
        munmap(address, length);
        return nullptr;
    }
    made->m_touched = populatedLength;
    return std::shared_ptr<ImageMemory>(made);
}

ImageMemory::~ImageMemory()
{
    munmap(m_address, m_length);
}

size_t imageBytes(QSize size, QImage::Format format)
{
    if (size.isEmpty())
        return 0;
    const qsizetype line = bytesPerLine(size.width(), format);
    return line == 0 ? 0 : size_t(line) * size_t(size.height());
}

QImage imageOver(const std::shared_ptr<ImageMemory>& memory, QSize size, QImage::Format format)
{
    const size_t bytes = imageBytes(size, format);
    if (!memory || bytes == 0 || bytes > memory->capacity())
        return {};
    auto* held = new (std::nothrow) std::shared_ptr<ImageMemory>(memory);
    if (!held)
        return {};
    QImage image(memory->m_address, size.width(), size.height(), bytesPerLine(size.width(), format), format,
                 release, held);
    if (image.isNull()) {
        release(held);
        return {};
    }
    memory->m_touched = std::max(memory->m_touched, bytes);
    return image;
}

QImage makeMappedImage(QSize size, QImage::Format format, size_t extraBytes)
{
    const size_t bytes = imageBytes(size, format);
    if (bytes == 0 || extraBytes > std::numeric_limits<size_t>::max() - bytes)
        return {};
    return imageOver(ImageMemory::map(bytes + extraBytes, bytes + extraBytes), size, format);
}

} // namespace lustrelab
