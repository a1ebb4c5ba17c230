#include "image_mime_data.h"

#include "png_encoder.h"

namespace lustrelab {

namespace {

const QString pngType = QStringLiteral("image/png");
const QString qtImageType = QStringLiteral("application/x-qt-image");

} // namespace

ImageMimeData::ImageMimeData(const QImage& image, const QByteArray& png) : m_image(image), m_png(png) {}

QStringList ImageMimeData::formats() const
{
    return {pngType, qtImageType};
}

bool ImageMimeData::hasFormat(const QString& mimeType) const
{
    return mimeType == pngType || mimeType == qtImageType;
}

QVariant ImageMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == qtImageType)
        return m_image;
    if (mimeType == pngType) {
        if (m_png.isEmpty())
            m_png = PngEncoder::encode(m_image);
        return m_png;
    }
    return QMimeData::retrieveData(mimeType, type);
}

} // namespace lustrelab
