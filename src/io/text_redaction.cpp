#include "text_redaction.h"

#include "text_recognizer.h"

#include <QPainter>

namespace lustrelab {

std::optional<QImage> redactSensitiveText(const QImage& screenshot, const QString& language,
                                          QList<SensitiveRegion>* found, QString* error)
{
    const std::optional<RecognizedText> text = TextRecognizer::recognize(screenshot, language, error);
    if (!text)
        return std::nullopt;
    const QList<SensitiveRegion> regions = sensitiveRegions(*text);
    if (found)
        *found = regions;
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
