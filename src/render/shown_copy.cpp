#include "shown_copy.h"

#include "bilinear_resize.h"
#include "image_buffer_pool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lustrelab {

QImage ShownCopy::fitted(const QImage& composed, QSize room)
{
    if (composed.isNull() || room.isEmpty())
        return composed;
    const double scale =
        std::min(double(room.width()) / composed.width(), double(room.height()) / composed.height());
    const QSize pixels(std::max(1, int(std::lround(composed.width() * scale))),
                       std::max(1, int(std::lround(composed.height() * scale))));
    if (scale >= 1 || (std::abs(pixels.width() - composed.width()) <= 1 &&
                       std::abs(pixels.height() - composed.height()) <= 1))
        return composed;

    QImage* buffer = std::find_if(m_buffers.begin(), m_buffers.end(), [&](const QImage& b) {
        return b.width() >= pixels.width() && b.height() >= pixels.height() && isOnlyHolder(b);
    });
    if (buffer == m_buffers.end()) {
        // Every buffer is still shown or too small: a new one for the room,
        // in place of one the window no longer holds (or the oldest).
        buffer = std::find_if(m_buffers.begin(), m_buffers.end(),
                              [](const QImage& b) { return b.isNull() || isOnlyHolder(b); });
        if (buffer == m_buffers.end())
            buffer = m_buffers.begin();
        *buffer = QImage(room.expandedTo(pixels), QImage::Format_ARGB32_Premultiplied);
        if (buffer->isNull())
            return composed;
    }
    // The view holds its buffer, which is written only once nothing else does.
    uchar* const bits = buffer->bits();
    auto* held = new QImage(*buffer);
    QImage view(
        bits, pixels.width(), pixels.height(), buffer->bytesPerLine(), QImage::Format_ARGB32_Premultiplied,
        [](void* info) { delete static_cast<QImage*>(info); }, held);
    if (!bilinearResizeInto(composed, view))
        return composed;
    return view;
}

} // namespace lustrelab
