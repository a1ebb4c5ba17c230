#include "background_fill.h"

#include "model/color_hex.h"
#include "model/gradient_preset.h"
#include "surface_coordinates.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace lustrelab {

namespace {

uint32_t premultiplied(const QColor& color)
{
    return qPremultiply(color.rgba());
}

} // namespace

BackgroundFill::BackgroundFill(const BeautySettings& settings, QSizeF canvasSize, double ratio,
                               QImage& canvas)
{
    switch (settings.backgroundType) {
    case BackgroundType::gradient:
        if (const GradientPreset* preset = findGradientPreset(settings.gradientPresetId))
            prepareGradient(*preset, canvasSize, ratio);
        else
            m_constant = 0xffffffffu; // an unknown id composes on white
        break;
    case BackgroundType::solid:
        m_constant = premultiplied(settings.solidColor.toPlatformColor());
        break;
    case BackgroundType::transparent:
        m_mode = Mode::prePainted;
        paintCheckerboard(canvas, canvasSize);
        break;
    }
}

BackgroundFill::BackgroundFill(const GradientPreset& preset, QSizeF canvasSize, double ratio)
{
    prepareGradient(preset, canvasSize, ratio);
}

void BackgroundFill::prepareGradient(const GradientPreset& preset, QSizeF canvasSize, double ratio)
{
    if (preset.colors.isEmpty()) {
        m_constant = 0; // no gradient can be made from no colours: nothing is drawn
        return;
    }
    // The colour table comes from Qt's own gradient code, so interpolation
    // between stops is exactly what a QLinearGradient draws; only the
    // per-pixel lookup is done here, where it can share a pass with the shadow.
    QLinearGradient ramp(0, 0, tableSize, 0);
    ramp.setSpread(QGradient::PadSpread);
    const qsizetype n = preset.colors.size();
    for (qsizetype i = 0; i < n; ++i)
        ramp.setColorAt(n == 1 ? 0.0 : double(i) / double(n - 1), colorFromHex(preset.colors[i]));
    QImage strip(tableSize, 1, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        painter.fillRect(QRectF(0, 0, tableSize, 1), ramp);
    }
    std::copy_n(reinterpret_cast<const uint32_t*>(strip.constScanLine(0)), tableSize, m_table.begin());

    const double theta = preset.angle * 3.141592653589793 / 180.0;
    const double w = canvasSize.width(), h = canvasSize.height();
    const double reach = std::max(w, h) * 0.5;
    const QPointF start = flipPoint(w / 2 - reach * std::cos(theta), h / 2 - reach * std::sin(theta), h);
    const QPointF end = flipPoint(w / 2 + reach * std::cos(theta), h / 2 + reach * std::sin(theta), h);
    const QPointF axis = end - start;
    const double length2 = QPointF::dotProduct(axis, axis);
    if (!(length2 > 0) || !(ratio > 0)) {
        m_constant = m_table[0];
        return;
    }
    m_mode = Mode::gradient;
    // t of a pixel centre ((x + 0.5) / ratio, (y + 0.5) / ratio) in points.
    m_dx = axis.x() / (ratio * length2);
    m_dy = axis.y() / (ratio * length2);
    m_t0 = ((0.5 / ratio - start.x()) * axis.x() + (0.5 / ratio - start.y()) * axis.y()) / length2;
}

void BackgroundFill::paintCheckerboard(QImage& canvas, QSizeF canvasSize)
{
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor grey = QColor::fromRgbF(0.9f, 0.9f, 0.9f, 1.0f);
    constexpr double square = 10;
    // Rows count upwards from the bottom edge; columns rightwards.
    int row = 0;
    for (double y = 0; y < canvasSize.height(); y += square, ++row) {
        int column = 0;
        for (double x = 0; x < canvasSize.width(); x += square, ++column) {
            if ((row + column) % 2 == 0)
                painter.fillRect(flipRect(x, y, square, square, canvasSize.height()), grey);
        }
    }
}

void BackgroundFill::fillSpan(int y, int x0, int x1, uint32_t* out) const
{
    switch (m_mode) {
    case Mode::prePainted:
        return;
    case Mode::constant:
        std::fill(out, out + (x1 - x0), m_constant);
        return;
    case Mode::gradient:
        break;
    }
    const double rowStart = m_t0 + m_dy * y + m_dx * x0;
    if (m_dx == 0) {
        const double t = std::clamp(rowStart * tableSize, 0.0, double(tableSize - 1));
        std::fill(out, out + (x1 - x0), m_table[size_t(t)]);
        return;
    }
    const float step = float(m_dx * tableSize);
    const float start = float(rowStart * tableSize);
    for (int i = 0; i < x1 - x0; ++i) {
        const float t = std::clamp(start + step * float(i), 0.0f, float(tableSize - 1));
        out[i] = m_table[size_t(t)];
    }
}

} // namespace lustrelab
