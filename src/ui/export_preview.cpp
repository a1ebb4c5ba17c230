#include "export_preview.h"

#include "base/logical_size.h"
#include "image_thumbnail.h"

#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

namespace {

constexpr qreal cornerRadius = 8;
constexpr int shadowRadius = 4;

} // namespace

ExportPreview::ExportPreview(int width, QWidget* parent) : QWidget(parent)
{
    setFixedWidth(width);
    setFixedHeight(0);
}

void ExportPreview::setImage(const QImage& composed)
{
    if (composed.cacheKey() == m_sourceKey && !m_thumbnail.isNull())
        return;
    m_sourceKey = composed.cacheKey();
    const QSize box(width() - 2 * shadowRadius, maximumHeight - 2 * shadowRadius);
    m_thumbnail = imageThumbnail(composed, box, devicePixelRatioF(), Qt::KeepAspectRatio);
    const int height =
        m_thumbnail.isNull() ? 0 : int(logicalSize(m_thumbnail).height() + 0.5) + 2 * shadowRadius;
    setFixedHeight(height);
    update();
}

void ExportPreview::paintEvent(QPaintEvent*)
{
    if (m_thumbnail.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF size = logicalSize(m_thumbnail);
    const QRectF target(QPointF((width() - size.width()) / 2, shadowRadius), size);

    // A soft shadow of black at about a third opacity, fading over the radius.
    painter.setPen(Qt::NoPen);
    for (int step = shadowRadius; step >= 1; --step) {
        painter.setBrush(QColor(0, 0, 0, int(255 * 0.33 / shadowRadius * (shadowRadius - step + 1) / 2.5)));
        painter.drawRoundedRect(target.adjusted(-step, -step, step, step), cornerRadius + step,
                                cornerRadius + step);
    }

    QPainterPath clip;
    clip.addRoundedRect(target, cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    painter.drawImage(target, m_thumbnail);
}

} // namespace lustrelab
