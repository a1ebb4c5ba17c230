#include "mapped_image.h"

#include <limits>
#include <new>
#include <sys/mman.h>

namespace lustrelab {

namespace {

constexpr size_t hugePage = size_t(2) << 20;

struct Mapping
{
    void* address;
    size_t length;
};

void unmap(void* info)
{
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}

} // namespace

QImage makeMappedImage(QSize size, QImage::Format format, size_t extraBytes)
{
    if (size.isEmpty())
        return {};
    const QImage probe(1, 1, format);
    const qint64 bytesPerLine = (qint64(size.width()) * probe.depth() + 31) / 32 * 4;
    if (probe.isNull() || bytesPerLine > std::numeric_limits<int>::max())
        return {};
    const size_t pixels = size_t(bytesPerLine) * size_t(size.height());
    const size_t length = (pixels + extraBytes + hugePage - 1) / hugePage * hugePage;
    void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return {};
    // Both are hints: without huge pages or MADV_POPULATE_WRITE (Linux 5.14)
    // the pages are faulted in as they are written, as any buffer's are.
    madvise(address, length, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(address, length, MADV_POPULATE_WRITE);
#endif
    auto* mapping = new (std::nothrow) Mapping{address, length};
    if (!mapping) {
        munmap(address, length);
        return {};
    }
    QImage image(static_cast<uchar*>(address), size.width(), size.height(), qsizetype(bytesPerLine), format,
                 unmap, mapping);
    if (image.isNull())
        unmap(mapping);
    return image;
}

} // namespace lustrelab
