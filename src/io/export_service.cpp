#include "export_service.h"

#include <QImageWriter>
#include <QSaveFile>

namespace lustrelab {

QImage ExportService::scaleImage(const QImage& image, double scale)
{
    if (scale == 1.0)
        return image;
    const QSizeF logical = image.deviceIndependentSize();
    const QSize target(int(logical.width() * scale), int(logical.height() * scale));
    QImage scaled = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1.0);
    return scaled;
}

ExportService::Result ExportService::saveToFile(const QImage& image, const QString& path, ExportFormat format,
                                                double scale) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    QImageWriter writer(&file, format == ExportFormat::png ? "png" : "jpeg");
    if (format == ExportFormat::jpeg)
        writer.setQuality(90);
    if (!writer.write(scaleImage(image, scale)))
        return {false, writer.errorString()};
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

} // namespace lustrelab
