#include "background_fill.h"

#include "model/color_hex.h"
#include "model/gradient_preset.h"
#include "paint_helpers.h"
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

constexpr double pi = 3.141592653589793;

// atan2 to within about 1e-5 radians, several times faster than the library's;
// a conic background of a large canvas calls it once a pixel.
float fastAtan2(float y, float x)
{
    const float ax = std::abs(x), ay = std::abs(y);
    const float big = std::max(ax, ay);
    if (big == 0)
        return 0;
    const float a = std::min(ax, ay) / big;
    const float s = a * a;
    float r = ((-0.0464964749f * s + 0.15931422f) * s - 0.327622764f) * s * a + a;
    if (ay > ax)
        r = float(pi / 2) - r;
    if (x < 0)
        r = float(pi) - r;
    return y < 0 ? -r : r;
}

// Blends two premultiplied pixels with weights summing to 256.
inline uint32_t mix(uint32_t a, uint32_t wa, uint32_t b, uint32_t wb)
{
    const uint32_t rb = ((a & 0x00ff00ffu) * wa + (b & 0x00ff00ffu) * wb) >> 8;
    const uint32_t ag = ((a >> 8) & 0x00ff00ffu) * wa + ((b >> 8) & 0x00ff00ffu) * wb;
    return (rb & 0x00ff00ffu) | (ag & 0xff00ff00u);
}

// Darkens towards black: colour channels times keep / 256, alpha as it is.
inline uint32_t darkened(uint32_t p, uint32_t keep)
{
    const uint32_t rb = ((p & 0x00ff00ffu) * keep >> 8) & 0x00ff00ffu;
    const uint32_t g = ((p & 0x0000ff00u) * keep >> 8) & 0x0000ff00u;
    return (p & 0xff000000u) | rb | g;
}

} // namespace

BackgroundFill::BackgroundFill(const BeautySettings& settings, QSizeF canvasSize, double ratio,
                               QImage& canvas, const QImage& picture, const CustomGradient* matched)
{
    m_constant = 0xffffffffu; // whatever cannot be made composes on white
    switch (settings.backgroundType) {
    case BackgroundType::gradient:
        if (const GradientPreset* preset = findGradientPreset(settings.gradientPresetId))
            *this = BackgroundFill(*preset, canvasSize, ratio);
        break;
    case BackgroundType::solid:
        m_constant = premultiplied(settings.solidColor.toPlatformColor());
        break;
    case BackgroundType::transparent:
        m_mode = Mode::prePainted;
        paintCheckerboard(canvas, canvasSize);
        break;
    case BackgroundType::customGradient:
        prepare(settings.customGradient, canvasSize, ratio);
        break;
    case BackgroundType::image:
        if (!picture.isNull())
            preparePicture(picture, settings.backgroundImageDim, canvas.size());
        break;
    case BackgroundType::match:
        if (matched)
            prepare(*matched, canvasSize, ratio);
        break;
    }
}

bool BackgroundFill::isOpaque() const
{
    switch (m_mode) {
    case Mode::constant:
        return qAlpha(m_constant) == 255;
    case Mode::gradient:
    case Mode::radial:
    case Mode::conic:
        return std::all_of(m_table.begin(), m_table.end(),
                           [](uint32_t pixel) { return qAlpha(pixel) == 255; });
    case Mode::prePainted: // the checkerboard's white and grey
        return true;
    case Mode::picture:
        break;
    }
    return false;
}

BackgroundFill::BackgroundFill(const GradientPreset& preset, QSizeF canvasSize, double ratio)
{
    // Preset colours are spaced evenly from 0 to 1.
    Stops stops;
    const qsizetype n = preset.colors.size();
    for (qsizetype i = 0; i < n; ++i)
        stops.append({n == 1 ? 0.0 : double(i) / double(n - 1), colorFromHex(preset.colors[i])});
    if (!fillTable(stops)) {
        m_constant = 0; // no gradient can be made from no colours: nothing is drawn
        return;
    }
    prepareLinear(preset.angle, canvasSize, ratio);
}

bool BackgroundFill::fillTable(const Stops& stops)
{
    if (stops.isEmpty())
        return false;
    // The colour table comes from Qt's own gradient code, so interpolation
    // between stops is exactly what a QLinearGradient draws; only the
    // per-pixel lookup is done here, where it can share a pass with the shadow.
    QLinearGradient ramp(0, 0, tableSize, 0);
    ramp.setSpread(QGradient::PadSpread);
    for (const auto& [position, color] : stops)
        ramp.setColorAt(position, color);
    QImage strip(tableSize, 1, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        painter.fillRect(QRectF(0, 0, tableSize, 1), ramp);
    }
    std::copy_n(reinterpret_cast<const uint32_t*>(strip.constScanLine(0)), tableSize, m_table.begin());
    m_constant = m_table[0];
    return true;
}

void BackgroundFill::prepare(const CustomGradient& gradient, QSizeF canvasSize, double ratio)
{
    Stops stops;
    for (const GradientStop& stop : gradient.stops)
        stops.append({std::clamp(stop.position, 0.0, 1.0), stop.color.toPlatformColor()});
    // Qt keeps stops sorted and lets a later one at the same place win.
    std::stable_sort(stops.begin(), stops.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!fillTable(stops) || !(ratio > 0))
        return;
    if (gradient.kind == GradientKind::linear) {
        prepareLinear(gradient.angle, canvasSize, ratio);
        return;
    }
    const double w = canvasSize.width(), h = canvasSize.height();
    const QPointF centre = unitToSurface({gradient.centerX, gradient.centerY}, canvasSize);
    const double cx = std::isfinite(gradient.centerX) ? centre.x() : w / 2;
    const double cy = std::isfinite(gradient.centerY) ? centre.y() : h / 2;
    m_cx = cx * ratio;
    m_cy = cy * ratio;
    if (gradient.kind == GradientKind::radial) {
        const double reach = std::hypot(std::max(cx, w - cx), std::max(cy, h - cy)) * ratio;
        if (!(reach > 0) || !std::isfinite(reach))
            return;
        m_mode = Mode::radial;
        m_scale = 1 / reach;
    } else {
        m_mode = Mode::conic;
        const double turns = std::isfinite(gradient.angle) ? gradient.angle / 360 : 0;
        m_start = turns - std::floor(turns);
    }
}

void BackgroundFill::prepareLinear(double angleDegrees, QSizeF canvasSize, double ratio)
{
    const double theta = angleDegrees * pi / 180.0;
    const double w = canvasSize.width(), h = canvasSize.height();
    const double reach = std::max(w, h) * 0.5;
    const QPointF start = flipPoint(w / 2 - reach * std::cos(theta), h / 2 - reach * std::sin(theta), h);
    const QPointF end = flipPoint(w / 2 + reach * std::cos(theta), h / 2 + reach * std::sin(theta), h);
    const QPointF axis = end - start;
    const double length2 = QPointF::dotProduct(axis, axis);
    if (!(length2 > 0) || !(ratio > 0))
        return;
    m_mode = Mode::gradient;
    // t of a pixel centre ((x + 0.5) / ratio, (y + 0.5) / ratio) in points.
    m_dx = axis.x() / (ratio * length2);
    m_dy = axis.y() / (ratio * length2);
    m_t0 = ((0.5 / ratio - start.x()) * axis.x() + (0.5 / ratio - start.y()) * axis.y()) / length2;
}

void BackgroundFill::preparePicture(const QImage& picture, double dim, QSize canvasPixels)
{
    if (canvasPixels.isEmpty())
        return;
    m_picture = picture.format() == QImage::Format_ARGB32_Premultiplied
                    ? picture
                    : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_pictureScaleX = double(m_picture.width()) / canvasPixels.width();
    m_pictureScaleY = double(m_picture.height()) / canvasPixels.height();
    const double darkness = std::isfinite(dim) ? std::clamp(dim, 0.0, 1.0) : 0.0;
    m_keep = uint32_t(std::lround(256 * (1 - darkness)));
    m_mode = Mode::picture;
}

void BackgroundFill::paintCheckerboard(QImage& canvas, QSizeF canvasSize)
{
    canvas.fill(Qt::white);
    QPainter painter;
    ImagePainting painting(painter, canvas);
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
    case Mode::radial:
    case Mode::conic:
        fillRound(y, x0, x1, out);
        return;
    case Mode::picture:
        fillPicture(y, x0, x1, out);
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

void BackgroundFill::fillRound(int y, int x0, int x1, uint32_t* out) const
{
    // y grows downwards here; the angle turns counter-clockwise on screen.
    const float dy = float(m_cy - (y + 0.5));
    const float last = float(tableSize - 1);
    if (m_mode == Mode::radial) {
        const float scale = float(m_scale * tableSize), dy2 = dy * dy;
        for (int x = x0; x < x1; ++x) {
            const float dx = float(x + 0.5 - m_cx);
            out[x - x0] = m_table[size_t(std::min(std::sqrt(dx * dx + dy2) * scale, last))];
        }
        return;
    }
    // A turn maps onto the table once round, so the index wraps by a mask
    // (tableSize is a power of two): a whole turn is the start again, and a
    // negative one comes in from the far end, with no floor or clamp a pixel.
    static_assert((tableSize & (tableSize - 1)) == 0);
    const float toIndex = float(tableSize / (2 * pi)), start = float(m_start * tableSize);
    for (int x = x0; x < x1; ++x) {
        const int index = int(fastAtan2(dy, float(x + 0.5 - m_cx)) * toIndex - start);
        out[x - x0] = m_table[size_t(index & (tableSize - 1))];
    }
}

void BackgroundFill::fillPicture(int y, int x0, int x1, uint32_t* out) const
{
    const int w = m_picture.width(), h = m_picture.height();
    if (m_pictureScaleX == 1 && m_pictureScaleY == 1) {
        const auto* row = reinterpret_cast<const uint32_t*>(m_picture.constScanLine(std::min(y, h - 1)));
        for (int x = x0; x < x1; ++x)
            out[x - x0] = darkened(row[std::min(x, w - 1)], m_keep);
        return;
    }
    // Bilinear, between picture pixel centres; the picture is small when it is
    // blurred, so this mostly enlarges a smooth image.
    const double v = std::clamp((y + 0.5) * m_pictureScaleY - 0.5, 0.0, double(h - 1));
    const int v0 = int(v), v1 = std::min(v0 + 1, h - 1);
    const auto wv = uint32_t((v - v0) * 256);
    const auto* top = reinterpret_cast<const uint32_t*>(m_picture.constScanLine(v0));
    const auto* bottom = reinterpret_cast<const uint32_t*>(m_picture.constScanLine(v1));
    for (int x = x0; x < x1; ++x) {
        const double u = std::clamp((x + 0.5) * m_pictureScaleX - 0.5, 0.0, double(w - 1));
        const int u0 = int(u), u1 = std::min(u0 + 1, w - 1);
        const auto wu = uint32_t((u - u0) * 256);
        const uint32_t upper = mix(top[u0], 256 - wu, top[u1], wu);
        const uint32_t lower = mix(bottom[u0], 256 - wu, bottom[u1], wu);
        out[x - x0] = darkened(mix(upper, 256 - wv, lower, wv), m_keep);
    }
}

} // namespace lustrelab
