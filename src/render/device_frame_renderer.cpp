#include "device_frame_renderer.h"

#include "paint_helpers.h"
#include "surface_coordinates.h"

#include <QPainter>

// The outlines below are described bottom-up (y = 0 is the bottom edge of the
// result, as the layout of the whole composition is), and every rectangle and
// point goes through flipRect / flipPoint with the height of the result.

namespace lustrelab {

namespace {

const QColor glassBlack = Qt::black;
const QColor hingeColor = QColor::fromRgbF(0, 0, 0, 0.2f);
const QColor closeButtonColor = QColor::fromRgbF(1.0f, 0.37f, 0.34f);
const QColor minimiseButtonColor = QColor::fromRgbF(1.0f, 0.74f, 0.18f);
const QColor zoomButtonColor = QColor::fromRgbF(0.16f, 0.78f, 0.25f);

// Browser chrome geometry in points.
constexpr double titleBarHeight = 36;
constexpr double windowEdge = 1;
constexpr double buttonDiameter = 12;

// Desktop displays stand on nothing; laptops get a base strip below the body.
double laptopBaseHeight(const DeviceFrame& frame, double screenHeight)
{
    const bool isDisplay =
        frame.id.contains(QLatin1String("imac")) || frame.id.contains(QLatin1String("studio"));
    return isDisplay ? 0.0 : screenHeight * 0.08;
}

// Opens a painter on a transparent image of the framed size, at the
// screenshot's ratio, and lets `draw` paint on it given that size in points.
// The screenshot itself comes back when no painter can be opened.
template <typename Draw> QImage paintFrame(const QImage& image, const DeviceFrame& frame, Draw draw)
{
    const QSizeF framed = DeviceFrameRenderer::framedSize(logicalSize(image), frame);
    QImage result = makeOffscreenImage(framed, image.devicePixelRatio());
    QPainter painter;
    ImagePainting painting(painter, result);
    if (!painting.isActive())
        return image;
    painter.setRenderHint(QPainter::Antialiasing);
    // The screenshot is drawn 1:1; smoothing would only blur a fractional offset.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    draw(painter, framed.width(), framed.height());
    painting.end();
    return result;
}

// Draws the screenshot into `screen`, clipped to a rounded rectangle. A null
// screenshot leaves the screen empty rather than failing the frame.
void drawScreen(QPainter& painter, const QImage& image, const QRectF& screen, double radius)
{
    if (image.isNull())
        return;
    painter.save();
    painter.setClipPath(roundedRectPath(screen, radius));
    painter.drawImage(screen, image);
    painter.restore();
}

QImage drawPhoneFrame(const QImage& image, const DeviceFrame& frame)
{
    return paintFrame(image, frame, [&](QPainter& painter, double width, double height) {
        const QSizeF size = logicalSize(image);
        const double b = frame.bezelWidth;

        painter.fillPath(roundedRectPath(flipRect(0, 0, width, height, height), frame.cornerRadius),
                         frameColorValue(frame.frameColor));
        drawScreen(painter, image, flipRect(b, b, size.width(), size.height(), height),
                   frame.screenCornerRadius);

        if (frame.hasDynamicIsland) {
            // A pill whose width follows the whole body, its top 12 points below the
            // top edge of the screen.
            const double islandWidth = width * 0.28;
            const double islandHeight = 11;
            const double x = (width - islandWidth) * 0.5;
            const double y = height - b - islandHeight - 12;
            painter.fillPath(
                roundedRectPath(flipRect(x, y, islandWidth, islandHeight, height), islandHeight * 0.5),
                glassBlack);
        }
    });
}

// The camera notch hangs from the top edge of the screen rectangle (given
// bottom-up): 70 points wide at its foot, flaring to 76 where it meets the edge.
QPainterPath notchPath(const QRectF& screenUp, double surfaceHeight)
{
    const QRectF n(screenUp.center().x() - 35, screenUp.bottom() - 6, 70, 6); // bottom() is the top edge here
    auto at = [surfaceHeight](double x, double y) { return flipPoint(x, y, surfaceHeight); };
    QPainterPath path(at(n.left() - 3, n.bottom()));
    path.quadTo(at(n.left(), n.bottom()), at(n.left(), n.top()));
    path.lineTo(at(n.right(), n.top()));
    path.quadTo(at(n.right(), n.bottom()), at(n.right() + 3, n.bottom()));
    path.closeSubpath();
    return path;
}

// The laptop base: a rectangle (given bottom-up) with corners rounded by
// quadratic curves whose control points are the rectangle's corners.
QPainterPath laptopBasePath(const QRectF& baseUp, double surfaceHeight)
{
    // Radius 6, cut down on a base too shallow or narrow for it so the curves
    // never cross.
    const double r = std::min({6.0, baseUp.width() * 0.5, baseUp.height() * 0.5});
    const double minX = baseUp.left(), maxX = baseUp.right();
    const double minY = baseUp.top(), maxY = baseUp.bottom(); // bottom-up: top() is the lower edge
    auto at = [surfaceHeight](double x, double y) { return flipPoint(x, y, surfaceHeight); };
    QPainterPath path(at(minX + r, maxY));
    path.lineTo(at(maxX - r, maxY));
    path.quadTo(at(maxX, maxY), at(maxX, maxY - r));
    path.lineTo(at(maxX, minY + r));
    path.quadTo(at(maxX, minY), at(maxX - r, minY));
    path.lineTo(at(minX + r, minY));
    path.quadTo(at(minX, minY), at(minX, minY + r));
    path.lineTo(at(minX, maxY - r));
    path.quadTo(at(minX, maxY), at(minX + r, maxY));
    path.closeSubpath();
    return path;
}

QImage drawMacFrame(const QImage& image, const DeviceFrame& frame)
{
    return paintFrame(image, frame, [&](QPainter& painter, double width, double height) {
        const QSizeF size = logicalSize(image);
        const double w = size.width(), h = size.height();
        const double b = frame.bezelWidth;
        const double baseHeight = laptopBaseHeight(frame, h);
        const double bodyHeight = h + 2 * b;

        const QColor body = frameColorValue(frame.frameColor);
        painter.fillPath(
            roundedRectPath(flipRect(0, baseHeight, width, bodyHeight, height), frame.cornerRadius), body);
        // Only a 3-point rim of the body colour shows; the rest of the bezel is black glass.
        painter.fillPath(roundedRectPath(flipRect(3, baseHeight + 3, width - 6, bodyHeight - 6, height),
                                         frame.cornerRadius - 2),
                         glassBlack);
        const QRectF screenUp(b, baseHeight + b, w, h);
        drawScreen(painter, image, flipRect(b, baseHeight + b, w, h, height), frame.screenCornerRadius);

        if (frame.hasNotch)
            painter.fillPath(notchPath(screenUp, height), glassBlack);

        if (baseHeight > 0) {
            const QRectF baseUp(width * 0.2, 0, width * 0.6, baseHeight);
            painter.fillPath(laptopBasePath(baseUp, height), body);
            painter.setPen(makePen(hingeColor, 1));
            const double hingeY = baseUp.bottom() - 1; // one point below the top of the base
            painter.drawLine(flipPoint(baseUp.left() + 10, hingeY, height),
                             flipPoint(baseUp.right() - 10, hingeY, height));
        }
    });
}

QImage drawBrowserFrame(const QImage& image, const DeviceFrame& frame)
{
    return paintFrame(image, frame, [&](QPainter& painter, double width, double height) {
        const QSizeF size = logicalSize(image);

        const bool dark = frame.frameColor == FrameColor::black;
        painter.fillPath(roundedRectPath(flipRect(0, 0, width, height, height), frame.cornerRadius),
                         greyLevel(dark ? 0.16 : 0.98));

        const double barBottom = height - titleBarHeight;
        const double buttonY = barBottom + 12;
        const std::pair<double, QColor> buttons[] = {
            {14, closeButtonColor}, {34, minimiseButtonColor}, {54, zoomButtonColor}};
        painter.setPen(Qt::NoPen);
        for (const auto& [x, color] : buttons) {
            painter.setBrush(color);
            painter.drawEllipse(flipRect(x, buttonY, buttonDiameter, buttonDiameter, height));
        }

        const double barWidth = width * 0.5;
        painter.fillPath(
            roundedRectPath(flipRect((width - barWidth) * 0.5, barBottom + 6, barWidth, 24, height), 6),
            greyLevel(dark ? 0.22 : 0.93));

        painter.setPen(makePen(greyLevel(dark ? 0.3 : 0.85), 0.5));
        painter.drawLine(flipPoint(0, barBottom, height), flipPoint(width, barBottom, height));

        // Square screenshot corners cover the window's rounded bottom corners on purpose.
        if (!image.isNull())
            painter.drawImage(flipRect(windowEdge, windowEdge, size.width(), size.height(), height), image);
    });
}

} // namespace

QSizeF DeviceFrameRenderer::framedSize(QSizeF screenSize, const DeviceFrame& frame)
{
    const double w = screenSize.width(), h = screenSize.height(), b = frame.bezelWidth;
    switch (frame.category) {
    case DeviceCategory::none:
        return screenSize;
    case DeviceCategory::iphone:
    case DeviceCategory::ipad:
        return {w + 2 * b, h + 2 * b};
    case DeviceCategory::mac:
        return {w + 2 * b, h + 2 * b + laptopBaseHeight(frame, h)};
    case DeviceCategory::browser:
        return {w + 2 * windowEdge, h + windowEdge + titleBarHeight};
    }
    return screenSize;
}

QImage DeviceFrameRenderer::frameImage(const QImage& image, const DeviceFrame& frame) const
{
    switch (frame.category) {
    case DeviceCategory::none:
        return image;
    case DeviceCategory::iphone:
    case DeviceCategory::ipad:
        return drawPhoneFrame(image, frame);
    case DeviceCategory::mac:
        return drawMacFrame(image, frame);
    case DeviceCategory::browser:
        return drawBrowserFrame(image, frame);
    }
    return image;
}

} // namespace lustrelab
