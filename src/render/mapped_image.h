#pragma once

#include <QImage>

namespace lustrelab {

// A large image whose memory comes straight from the kernel, mapped in huge
// pages where the system allows them and faulted in with one call before it
// is written. Touching fresh memory page by page (4 KiB at a time, one fault
// each) costs a screenshot-sized buffer more than filling it does; a 2 MiB
// page needs one fault where 512 small ones were.
//
// The image owns its mapping and gives it back when the last copy goes.
// `extraBytes` beyond the pixels may be used as scratch by whoever fills the
// image (a decoder inflating in place). Returns a null image when the memory
// cannot be had, never throws.
QImage makeMappedImage(QSize size, QImage::Format format, size_t extraBytes = 0);

} // namespace lustrelab
