#include "export_service.h"

#include "base/logical_size.h"
#include "jpeg_encoder.h"
#include "png_encoder.h"

#include <QSaveFile>
#include <cmath>

namespace lustrelab {

namespace {

constexpr int jpegQuality = 90;

}

QSize ExportService::outputSize(const QImage& image, double scale)
{
    if (image.isNull())
        return {0, 0};
    if (scale == 1.0)
        return image.size();
    if (!(scale > 0) || !std::isfinite(scale))
        return {0, 0};
    const double width = logicalSize(image).width() * scale;
    const double height = logicalSize(image).height() * scale;
    if (!(width < 1 << 30) || !(height < 1 << 30))
        return {0, 0};
    const QSize target{int(width), int(height)};
    return target.isEmpty() ? QSize(0, 0) : target;
}

namespace {

// The same pixels at ratio 1 without copying them (a new ratio on a shared
// image would copy all of it, some 70 ms for a 2x screenshot): the new image
// reads the old one's pixels and keeps them alive.
QImage atRatioOne(const QImage& image)
{
    if (image.devicePixelRatio() == 1.0)
        return image;
    if (image.colorCount() > 0) { // a colour table would not come along
        QImage copy = image.copy();
        copy.setDevicePixelRatio(1.0);
        return copy;
    }
    auto* keeper = new QImage(image);
    QImage relabelled(keeper->constBits(), keeper->width(), keeper->height(), keeper->bytesPerLine(), keeper->format(),
                      [](void* kept) { delete static_cast<QImage*>(kept); }, keeper);
    return relabelled;
}

} // namespace

QImage ExportService::scaleImage(const QImage& image, double scale)
{
    if (scale == 1.0 || image.isNull())
        return image;
    const QSize target = outputSize(image, scale);
    if (target.isEmpty())
        return {};
    if (target == image.size())
        return atRatioOne(image);
    // Premultiplied so that smoothing never pulls the colour of a
    // transparent pixel into its neighbours.
    const QImage source = image.hasAlphaChannel() && image.format() != QImage::Format_ARGB32_Premultiplied
                              ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              : image;
    QImage scaled = source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1.0);
    return scaled;
}

ExportService::Result ExportService::saveToFile(const QImage& image, const QString& path, ExportFormat format,
                                                double scale) const
{
    if (image.isNull())
        return {false, QStringLiteral("there is no image to export")};
    const QImage scaled = scaleImage(image, scale);
    if (scaled.isNull())
        return {false, QStringLiteral("cannot scale the image by %1").arg(scale)};
    QString error;
    const QByteArray bytes = format == ExportFormat::jpeg ? JpegEncoder::encode(scaled, jpegQuality, &error)
                                                          : PngEncoder::encode(scaled, &error);
    if (bytes.isEmpty())
        return {false, error};
    // Unbuffered: a buffered write cut short at its final flush (a full disk)
    // is not reported, and the commit would replace the old file with it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {false, why};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace lustrelab
