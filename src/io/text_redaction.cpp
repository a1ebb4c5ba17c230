#include "text_redaction.h"

#include "text_recognizer.h"

#include <QPainter>

namespace lustrelab {

std::optional<SensitiveReading> findSensitiveText(const QImage& screenshot, const QString& language,
                                                  QString* error)
{
    std::optional<RecognizedText> text = TextRecognizer::recognize(screenshot, language, error);
    if (!text)
        return std::nullopt;
    SensitiveReading reading{std::move(*text), {}};
    reading.regions = sensitiveRegions(reading.text);
    return reading;
}

std::optional<QImage> redactSensitiveText(const QImage& screenshot, const QString& language,
                                          SensitiveReading* found, QString* error)
{
    std::optional<SensitiveReading> reading = findSensitiveText(screenshot, language, error);
    if (!reading)
        return std::nullopt;
    const QList<SensitiveRegion> regions = reading->regions;
    if (found)
        *found = std::move(*reading);
    if (regions.isEmpty())
        return screenshot;
    QImage covered = screenshot.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double ratio = screenshot.devicePixelRatio();
    covered.setDevicePixelRatio(1); // boxes are in pixels
    {
        QPainter painter(&covered);
        for (const SensitiveRegion& region : regions)
            for (const QRect& box : region.boxes)
                painter.fillRect(box, Qt::black);
    }
    covered.setDevicePixelRatio(ratio);
    return covered;
}

} // namespace lustrelab
