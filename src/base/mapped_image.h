#pragma once

#include <QImage>
#include <memory>

namespace lustrelab {

// Memory straight from the kernel, for images that are made over it. Mapped
// in huge pages where the system allows them, and faulted in with one call
// before it is written: touching fresh memory page by page (4 KiB at a time,
// one fault each) costs a screenshot-sized buffer more than filling it does;
// a 2 MiB page needs one fault where 512 small ones were.
//
// Given back when its last holder lets go; every image made over it holds it.
class ImageMemory
{
  public:
    // `capacity` bytes of address space, of which the first `populated` are
    // faulted in now and the rest when first written. Null when the memory
    // cannot be had; never throws.
    static std::shared_ptr<ImageMemory> map(size_t capacity, size_t populated);
    ~ImageMemory();
    ImageMemory(const ImageMemory&) = delete;
    ImageMemory& operator=(const ImageMemory&) = delete;

    size_t capacity() const { return m_length; }
    const uchar* data() const { return m_address; }
    // The most bytes any image made over it has covered: those pages are in.
    size_t touched() const { return m_touched; }

  private:
    friend QImage imageOver(const std::shared_ptr<ImageMemory>& memory, QSize size, QImage::Format format);
    ImageMemory(uchar* address, size_t length) : m_address(address), m_length(length) {}

    uchar* m_address;
    size_t m_length;
    size_t m_touched = 0;
};

// Bytes an image of this size and format needs, rows padded as QImage pads
// them; 0 for a size or format no image can have.
size_t imageBytes(QSize size, QImage::Format format);

// An image over the start of `memory`, which the image holds; undefined
// pixels (whatever the memory held). Null when it does not fit.
QImage imageOver(const std::shared_ptr<ImageMemory>& memory, QSize size, QImage::Format format);

// An image with memory of its own. `extraBytes` beyond the pixels may be used
// as scratch by whoever fills the image (a decoder inflating in place).
// Returns a null image when the memory cannot be had, never throws.
QImage makeMappedImage(QSize size, QImage::Format format, size_t extraBytes = 0);

} // namespace lustrelab
