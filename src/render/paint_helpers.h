#pragma once

// Small drawing helpers shared by the device frames and the annotations.
//
// Geometry is in points. An image carries a device pixel ratio; a new image
// made from another takes that ratio, so a 2x screenshot keeps its sharpness:
// logical 396 x 850 points at ratio 2 is a 792 x 1700 pixel image.

#include "base/logical_size.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QSizeF>
#include <algorithm>
#include <cmath>

namespace lustrelab {

// A transparent premultiplied image of the given size in points. The pixel size
// rounds up so that nothing drawn inside the logical rectangle is lost; the
// tolerance keeps 396.0000000001 from growing a column.
inline QImage makeOffscreenImage(QSizeF size, double ratio)
{
    auto pixels = [ratio](double points) { return std::max(0, int(std::ceil(points * ratio - 1e-9))); };
    QImage image(pixels(size.width()), pixels(size.height()), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

// A rounded rectangle whose radius is brought into the range Qt's path
// construction handles: never negative, never more than half the shorter side
// (a large radius on a small rectangle then yields a pill or a circle).
inline QPainterPath roundedRectPath(const QRectF& rect, double radius)
{
    QPainterPath path;
    if (rect.width() <= 0 || rect.height() <= 0)
        return path;
    const double limit = std::min(rect.width(), rect.height()) * 0.5;
    const double r = std::clamp(radius, 0.0, limit);
    if (r > 0)
        path.addRoundedRect(rect, r, r);
    else
        path.addRect(rect);
    return path;
}

// Every stroke in the renderer ends flat and joins mitred, so a square corner
// stays square (Qt's own defaults are a square cap and a bevel join).
inline QPen makePen(const QColor& color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A white level with an alpha, as the frames and the mosaic use them.
inline QColor greyLevel(double white, double alpha = 1.0)
{
    return QColor::fromRgbF(float(white), float(white), float(white), float(alpha));
}

// A painter on an image, for the image's points. QPainter paints an image
// whose device pixel ratio is below 1 (a copy reduced for the screen) as if
// the ratio were 1, which would draw everything too large there; such an
// image is painted at ratio 1 with its ratio applied as a scale, and gets its
// ratio back when the painting ends.
class ImagePainting
{
  public:
    ImagePainting(QPainter& painter, QImage& image)
        : m_painter(painter), m_image(image), m_ratio(image.devicePixelRatio())
    {
        if (m_ratio < 1)
            m_image.setDevicePixelRatio(1);
        if (m_painter.begin(&m_image) && m_ratio < 1)
            m_painter.scale(m_ratio, m_ratio);
    }
    ~ImagePainting() { end(); }
    ImagePainting(const ImagePainting&) = delete;
    ImagePainting& operator=(const ImagePainting&) = delete;

    bool isActive() const { return m_painter.isActive(); }
    void end()
    {
        if (m_painter.isActive())
            m_painter.end();
        if (m_ratio < 1 && m_image.devicePixelRatio() != m_ratio)
            m_image.setDevicePixelRatio(m_ratio);
    }

  private:
    QPainter& m_painter;
    QImage& m_image;
    double m_ratio;
};

} // namespace lustrelab
