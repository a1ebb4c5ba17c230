#pragma once

#include "model/beauty_settings.h"

#include <QImage>
#include <QString>

namespace lustrelab {

// Resamples a composed image to the export scale and writes it as PNG or JPEG.
class ExportService
{
public:
    struct Result
    {
        bool written = false;
        QString error; // why the file was not written; empty on success
    };

    static QImage scaleImage(const QImage& image, double scale);
    Result saveToFile(const QImage& image, const QString& path, ExportFormat format, double scale) const;
};

} // namespace lustrelab
