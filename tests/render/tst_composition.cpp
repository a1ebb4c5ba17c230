// The composed canvas, its backgrounds, the removal fill and device frames.
// Expectations are computed here from the geometry, never taken from images
// the code under test made; the shadow is compared with a Gaussian of the
// image's alpha, also where sums outgrow 32 bits. The looks that existed
// before the newer backgrounds are pinned to their exact bytes.
#include "model/device_frame.h"
#include "model/gradient_preset.h"
#include "render/canvas_layout.h"
#include "render/content_margins.h"
#include "render/device_frame_renderer.h"
#include "render/image_processor.h"
#include "render/removal_fill.h"
#include "render/shadow_field.h"
#include "render_probe.h"

#include <QCryptographicHash>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace lustrelab;

namespace {

// Fraction of a 1-D box [from, to) under a Gaussian centred on c: the shadow
// of an opaque rectangle, one axis at a time.
double boxUnderGaussian(double c, double from, double to, double sigma)
{
    const double k = 1 / (sigma * std::sqrt(2.0));
    return 0.5 * (std::erf((to - c) * k) - std::erf((from - c) * k));
}

ShapeOverlay filledBox(UnitPoint from, UnitPoint to)
{
    ShapeOverlay shape;
    shape.startPoint = from;
    shape.endPoint = to;
    shape.fillColor = shape.strokeColor; // red
    return shape;
}

const QColor screenColor(20, 90, 250); // the screenshot's own colour in these tests

// Phones frame a 390 x 844 point screenshot, everything else 1000 x 600.
QImage framed(const QString& id, double ratio = 1, QImage image = {})
{
    const QSize points = id.startsWith(QLatin1String("iphone")) ? QSize(390, 844) : QSize(1000, 600);
    if (image.isNull())
        image = solidImage(int(points.width() * ratio), int(points.height() * ratio), screenColor, ratio);
    const DeviceFrame* frame = findDeviceFrame(id);
    return frame ? DeviceFrameRenderer().frameImage(image, *frame) : QImage();
}

// A 100 x 100 canvas that is all background but its 2 x 2 transparent middle.
QImage composeBackground(const BeautySettings& styling, double ratio = 1)
{
    BeautySettings settings = styling;
    settings.padding = 49;
    return compose(solidImage(int(2 * ratio), int(2 * ratio), Qt::transparent, ratio), settings);
}

const QColor red(Qt::red), blue(Qt::blue);
const QList<GradientStop> redToBlue{{{1, 0, 0, 1}, 0}, {{0, 0, 1, 1}, 1}};

BeautySettings withGradient(GradientKind kind, double angle, QList<GradientStop> stops = redToBlue,
                            QPointF center = {0.5, 0.5})
{
    BeautySettings s = plainSettings();
    s.backgroundType = BackgroundType::customGradient;
    s.customGradient = {kind, angle, center.x(), center.y(), std::move(stops)};
    return s;
}

QColor mix(QColor a, QColor b, double t)
{
    const auto at = [t](float from, float to) { return float(from + (to - from) * t); };
    return QColor::fromRgbF(at(a.redF(), b.redF()), at(a.greenF(), b.greenF()), at(a.blueF(), b.blueF()));
}

// Vertical bands of the given colours, left to right (or rows, top to bottom);
// band i runs from i / n of the side to (i + 1) / n, rounded down.
QImage bands(QSize size, const QList<QColor>& colors, Qt::Orientation orientation)
{
    const int n = int(colors.size());
    return test::imageOf(size.width(), size.height(), [&](int x, int y) {
        const bool across = orientation == Qt::Horizontal;
        return colors[(n * ((across ? x : y) + 1) - 1) / (across ? size.width() : size.height())].rgba();
    });
}

QByteArray pixelDigest(const QImage& image)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4));
    return hash.result().toHex();
}

QImage filled(int width, int height, QRgb premultiplied, QRect block = {}, QRgb blockColour = 0)
{
    return test::imageOf(width, height,
                         [&](int x, int y) { return block.contains(x, y) ? blockColour : premultiplied; });
}

// A busy, partly translucent background: two gradients, a hard edge and a
// repeating texture, so the band is never close to one colour.
QImage busyImage(int width, int height, bool opaque = false)
{
    return test::imageOf(width, height, [&](int x, int y) {
        const int alpha = !opaque && (x / 7 + y / 5) % 3 == 0 ? 160 : 255;
        const int r = x * 255 / std::max(1, width - 1);
        const int g = y * 255 / std::max(1, height - 1);
        const int b = (x < width / 2 ? 40 : 220) + (x * y) % 23;
        return qRgba(r * alpha / 255, g * alpha / 255, b * alpha / 255, alpha);
    });
}

// A deliberately plain version of the removal fill, one double loop over area
// pixels and band samples, to hold the fast one to. Works on and returns
// Format_RGBA8888_Premultiplied.
QImage referenceRemovalFill(const QImage& image, QRect area)
{
    QImage bitmap = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    struct Sample
    {
        double v[4];
        int x, y;
    };
    std::vector<Sample> samples;
    auto take = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height())
            return;
        const uchar* p = bitmap.constScanLine(y) + 4 * x;
        samples.push_back({{p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0}, x, y});
    };
    // The 3-pixel band above, below, left and right; never the diagonal corners.
    for (int d = 1; d <= 3; ++d) {
        for (int x = area.left(); x <= area.right(); ++x)
            take(x, area.top() - d), take(x, area.bottom() + d);
        for (int y = area.top(); y <= area.bottom(); ++y)
            take(area.left() - d, y), take(area.right() + d, y);
    }

    const double n = double(samples.size());
    double mean[4] = {0, 0, 0, 0}, variance = 0;
    for (const Sample& s : samples)
        for (int c = 0; c < 4; ++c)
            mean[c] += s.v[c] / n;
    for (const Sample& s : samples)
        for (int c = 0; c < 3; ++c)
            variance += (s.v[c] - mean[c]) * (s.v[c] - mean[c]) / n;
    const bool flat = samples.size() < 11 || variance < 0.02;

    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            double value[4] = {0.5, 0.5, 0.5, 1.0};
            if (flat && !samples.empty())
                std::copy(mean, mean + 4, value);
            if (!flat) {
                double sum[4] = {0, 0, 0, 0}, total = 0;
                for (const Sample& s : samples) {
                    const double w = 1.0 / (double(x - s.x) * (x - s.x) + double(y - s.y) * (y - s.y));
                    total += w;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += w * s.v[c];
                }
                for (int c = 0; c < 4; ++c)
                    value[c] = sum[c] / total;
            }
            uchar* p = bitmap.scanLine(y) + 4 * x;
            for (int c = 0; c < 4; ++c)
                p[c] = uchar(std::clamp(value[c] * 255.0, 0.0, 255.0));
        }
    }
    return bitmap;
}

} // namespace

class TestComposition : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;

    QString savedImage(const QImage& image, const char* name)
    {
        const QString path = m_files.filePath(QString::fromLatin1(name));
        image.save(path);
        return path;
    }

    BeautySettings pictureSettings(const QImage& picture, const char* name)
    {
        BeautySettings settings = plainSettings();
        settings.backgroundType = BackgroundType::image;
        settings.backgroundImagePath = savedImage(picture, name);
        return settings;
    }

  private slots:
    void canvasGeometry_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QList<double>>("padding"); // uniform: one value; else top, bottom, leading, trailing
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSizeF>("canvas");        // points
        QTest::addColumn<QPointF>("imageTopLeft"); // Qt points
        const double wide = 428 * (16.0 / 9.0), tall = 528 / 0.5625;
        const QList<double> uniform{64};
        QTest::newRow("auto") << "auto" << uniform << 1.0 << QSizeF(528, 428) << QPointF(64, 64);
        QTest::newRow("16:9 widens") << "16:9" << uniform << 1.0 << QSizeF(wide, 428)
                                     << QPointF(64 + (wide - 528) / 2, 64);
        QTest::newRow("9:16 grows down")
            << "9:16" << uniform << 1.0 << QSizeF(528, tall) << QPointF(64, 64 + (tall - 428) / 2);
        QTest::newRow("16:9 at ratio 2")
            << "16:9" << uniform << 2.0 << QSizeF(wide, 428) << QPointF(64 + (wide - 528) / 2, 64);
        QTest::newRow("unknown preset is auto")
            << "no-such" << uniform << 2.0 << QSizeF(528, 428) << QPointF(64, 64);
        // 20 from the left, 50 above the bottom edge: top = 360 - 50 - 300.
        QTest::newRow("non-uniform padding")
            << "auto" << QList<double>{10, 50, 20, 0} << 1.0 << QSizeF(420, 360) << QPointF(20, 10);
        QTest::newRow("social preset searched after ratios")
            << "instagram" << uniform << 1.0 << QSizeF(528, 528) << QPointF(64, 114);
    }
    void canvasGeometry()
    {
        QFETCH(QString, preset);
        QFETCH(QList<double>, padding);
        QFETCH(double, ratio);
        QFETCH(QSizeF, canvas);
        QFETCH(QPointF, imageTopLeft);
        BeautySettings settings = plainSettings(padding[0]);
        settings.canvasPresetId = preset;
        if (padding.size() == 4) {
            settings.paddingUniform = false;
            settings.paddingTop = padding[0], settings.paddingBottom = padding[1];
            settings.paddingLeading = padding[2], settings.paddingTrailing = padding[3];
        }
        // Pixel size rounded up, at the source's ratio; red from the first
        // whole pixel inside the image rectangle, blue just outside it.
        const QImage out = compose(solidImage(int(400 * ratio), int(300 * ratio), Qt::red, ratio), settings);
        QCOMPARE(out.size(),
                 QSize(int(std::ceil(canvas.width() * ratio)), int(std::ceil(canvas.height() * ratio))));
        QCOMPARE(out.devicePixelRatio(), ratio);
        const int left = int(std::ceil(imageTopLeft.x() * ratio)),
                  top = int(std::ceil(imageTopLeft.y() * ratio));
        const int right = int((imageTopLeft.x() + 400) * ratio),
                  bottom = int((imageTopLeft.y() + 300) * ratio);
        VERIFY_NEAR(out.pixelColor(left, top), Qt::red, 2);
        VERIFY_NEAR(out.pixelColor(right - 1, bottom - 1), Qt::red, 2);
        if (left >= 2)
            VERIFY_NEAR(out.pixelColor(left - 2, top + 10), Qt::blue, 2);
        if (top >= 2)
            VERIFY_NEAR(out.pixelColor(left + 10, top - 2), Qt::blue, 2);
        if (bottom + 1 < out.height())
            VERIFY_NEAR(out.pixelColor(left + 10, bottom + 1), Qt::blue, 2);
    }

    void cornersAndBorder_data()
    {
        // A 100 x 100 red image at (20, 20) on blue; border green.
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("border");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<QColor>("expected");
        const QColor green(Qt::green);
        QTest::newRow("round corner shows background") << 12.0 << 0.0 << QPoint(20, 20) << blue;
        QTest::newRow("border inside the edge") << 12.0 << 4.0 << QPoint(70, 21) << green;
        QTest::newRow("border is inside, not outside") << 12.0 << 4.0 << QPoint(70, 19) << blue;
        QTest::newRow("image after the border") << 12.0 << 4.0 << QPoint(70, 25) << red;
        QTest::newRow("wide border squares the corner") << 12.0 << 30.0 << QPoint(20, 20) << green;
        QTest::newRow("huge radius rounds fully") << 1000.0 << 0.0 << QPoint(24, 24) << blue;
        QTest::newRow("border wider than the image") << 0.0 << 150.0 << QPoint(70, 70) << green;
    }
    void cornersAndBorder()
    {
        QFETCH(double, radius);
        QFETCH(double, border);
        QFETCH(QPoint, probe);
        QFETCH(QColor, expected);
        BeautySettings settings = plainSettings(20);
        settings.cornerRadius = radius, settings.borderWidth = border, settings.borderColor = {0, 1, 0, 1};
        VERIFY_NEAR(compose(solidImage(100, 100, Qt::red), settings).pixelColor(probe), expected, 2);
    }

    void nullSourceComesBack() { QVERIFY(compose(QImage(), BeautySettings()).isNull()); }

    void shadowMatchesGaussian_data()
    {
        QTest::addColumn<double>("blur");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("default blur 40") << 40.0 << 1.0 << QPointF(0, 10) << QColor(Qt::black);
        QTest::newRow("blur 40 at ratio 2") << 40.0 << 2.0 << QPointF(0, 10) << QColor(Qt::black);
        QTest::newRow("blur 12, offset both ways") << 12.0 << 1.0 << QPointF(-6, 4) << QColor(Qt::black);
        QTest::newRow("small blur, fractional offset")
            << 3.0 << 1.0 << QPointF(2.5, -1.25) << QColor(Qt::black);
        QTest::newRow("blue shadow") << 12.0 << 1.0 << QPointF(8, 0) << QColor(0, 0, 255);
        QTest::newRow("half-transparent colour") << 12.0 << 1.0 << QPointF(0, 6) << QColor(0, 0, 0, 128);
    }
    void shadowMatchesGaussian()
    {
        QFETCH(double, blur);
        QFETCH(double, ratio);
        QFETCH(QPointF, offset);
        QFETCH(QColor, colour);
        const double tolerance = blur < 5 ? 2.5 : 1.6; // levels of 255; small blurs soften on the pixel grid
        // A 60 x 40 point black image: its shadow is that rectangle blurred.
        const QImage source = solidImage(int(60 * ratio), int(40 * ratio), Qt::black, ratio);
        BeautySettings settings = plainSettings(64, Qt::white, true);
        settings.shadowBlur = blur, settings.shadowOffsetX = offset.x(), settings.shadowOffsetY = offset.y();
        settings.shadowOpacity = 1; // the full range of levels, the strictest comparison
        settings.shadowColor = CodableColor::fromPlatformColor(colour);
        const QImage out = compose(source, settings);
        QCOMPARE(out.size(), QSize(int(188 * ratio), int(168 * ratio)));

        const double sigma = blur / 2 * ratio;
        const double left = (64 + offset.x()) * ratio, top = (64 + offset.y()) * ratio;
        const QRect image(int(64 * ratio), int(64 * ratio), source.width(), source.height());
        double worst = 0;
        for (int y = 0; y < out.height(); y += 3)
            for (int x = 0; x < out.width(); x += 3)
                if (!image.contains(x, y)) {
                    const double alpha = colour.alphaF() *
                                         boxUnderGaussian(x + 0.5, left, left + source.width(), sigma) *
                                         boxUnderGaussian(y + 0.5, top, top + source.height(), sigma);
                    // The shadow's colour over white: each channel from 255 towards the colour's.
                    const QRgb pixel = out.pixel(x, y);
                    for (const auto& [channel, target] :
                         {std::pair{qRed(pixel), colour.red()}, std::pair{qGreen(pixel), colour.green()},
                          std::pair{qBlue(pixel), colour.blue()}})
                        worst = std::max(worst, std::abs(channel - (255 * (1 - alpha) + target * alpha)));
                }
        QVERIFY2(worst <= tolerance, QByteArray::number(worst));
    }

    void overlaysAreDrawnOnTheCanvas()
    {
        // A blue dot at image pixels 48..51 of a red 100 x 100 image padded by
        // 20: the removal area over canvas 66..74 must erase it; the shape
        // covers canvas x 3..14, y 126..137, all padding.
        QImage source = solidImage(100, 100, Qt::red);
        QPainter(&source).fillRect(48, 48, 4, 4, Qt::blue);
        const RemovalArea area{
            QUuid::createUuid(), {66 / 140.0, 66 / 140.0, 8 / 140.0, 8 / 140.0}, RemovalMethod::contentAware};
        ImageProcessor processor;
        const QImage out = processor.process(
            source, plainSettings(20, Qt::white),
            {.shapeOverlays = {filledBox({0.02, 0.02}, {0.1, 0.1})}, .removalAreas = {area}});
        QCOMPARE(out.pixel(70, 70), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(8, 131), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(8, 120), qRgb(255, 255, 255));
    }

    void valuesOutOfRangeNeverBreakComposition_data()
    {
        // Settings also arrive from template files; none of these may crash or
        // hang. A padding that cannot be laid out gives the source back unstyled.
        QTest::addColumn<int>("field"); // padding, shadow blur, corner radius
        QTest::addColumn<double>("value");
        QTest::newRow("padding not a number") << 0 << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("blur infinite") << 1 << std::numeric_limits<double>::infinity();
        QTest::newRow("radius not a number") << 2 << std::numeric_limits<double>::quiet_NaN();
    }
    void valuesOutOfRangeNeverBreakComposition()
    {
        QFETCH(int, field);
        QFETCH(double, value);
        BeautySettings settings = plainSettings(20, Qt::white, true);
        *std::array{&settings.padding, &settings.shadowBlur, &settings.cornerRadius}[field] = value;
        const QImage source = solidImage(60, 40, Qt::red);
        const QImage out = compose(source, settings);
        if (field == 0)
            QCOMPARE(out.cacheKey(), source.cacheKey());
        else
            QCOMPARE(out.size(), QSize(100, 80));
    }

    // The shadow is blurred only where the alpha changes within the blur's
    // reach: around the outline and around holes in the middle. Everywhere,
    // near the edges and far from them, it must still be the Gaussian of the
    // whole alpha: the sampled kernel of the pixels themselves, within
    // rounding and the kernel's cut-off at three sigmas, and on coarser cells
    // within the grid's own error.
    void shadowAroundHolesMatchesGaussian_data()
    {
        QTest::addColumn<double>("sigma");
        QTest::addColumn<double>("tolerance"); // levels of 255
        QTest::newRow("on pixels, narrow") << 1.2 << 1.5;
        QTest::newRow("on pixels") << 5.0 << 1.5;
        QTest::newRow("cells of 2") << 7.5 << 1.6;
        QTest::newRow("cells of 4") << 14.0 << 1.6;
    }
    void shadowAroundHolesMatchesGaussian()
    {
        QFETCH(double, sigma);
        QFETCH(double, tolerance);
        // An opaque image with two transparent holes, one near its edge and
        // one across the middle row (where work split across cores meets),
        // on a canvas with room for the blur.
        const QSize canvas(180, 290);
        const QPoint at(45, 45);
        QImage image(90, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        std::vector<double> alpha(size_t(canvas.width()) * canvas.height(), 0.0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool hole =
                    QRect(30, 20, 20, 14).contains(x, y) || QRect(70, 95, 12, 40).contains(x, y);
                if (hole)
                    image.setPixel(x, y, 0);
                else
                    alpha[size_t(y + at.y()) * canvas.width() + x + at.x()] = 1;
            }
        ShadowField field;
        field.build(StyledImage(image, {}), {image.cacheKey()}, at, QPointF(0, 0), sigma, canvas);
        QVERIFY(!field.isEmpty());

        // The reference: the sampled Gaussian, four sigmas wide, along rows and then columns.
        const int radius = int(std::ceil(4 * sigma));
        std::vector<double> kernel(size_t(2 * radius + 1));
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += kernel[size_t(i + radius)] = std::exp(-0.5 * i * i / (sigma * sigma));
        for (double& w : kernel)
            w /= sum;
        auto blurred = [&](const std::vector<double>& in, int step, int count) {
            std::vector<double> out(in.size(), 0.0);
            for (size_t p = 0; p < in.size(); ++p) {
                const int position = int(p / size_t(step)) % count;
                for (int i = std::max(-radius, -position); i <= std::min(radius, count - 1 - position); ++i)
                    out[p] += kernel[size_t(i + radius)] * in[p + ptrdiff_t(i) * step];
            }
            return out;
        };
        const std::vector<double> reference =
            blurred(blurred(alpha, 1, canvas.width()), canvas.width(), canvas.height());

        std::vector<float> row;
        double worst = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            std::vector<uint8_t> levels(size_t(canvas.width()), 0);
            if (field.prepareRow(y, row))
                field.sampleSpan(row, field.firstColumn(), field.endColumn(), 1.0f,
                                 levels.data() + field.firstColumn());
            for (int x = 0; x < canvas.width(); ++x)
                worst = std::max(
                    worst, std::abs(levels[size_t(x)] - 255 * reference[size_t(y) * canvas.width() + x]));
        }
        QVERIFY2(worst <= tolerance, QByteArray::number(worst));
    }

    // A cell of the shadow's coarse grid sums the alpha of k x k pixels; with a
    // blur wide enough that one cell holds a whole 4200 x 4200 image
    // (sigma 12600, k 4200), that sum is 255 x 4200² = 4.5 x 10^9, past 32
    // bits. The shadow around the image must still be the Gaussian of its
    // alpha. The smaller row checks the comparison itself on ordinary cells.
    void shadowOfAWideBlurMatchesGaussian_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<double>("sigma");
        QTest::newRow("ordinary cells") << 300 << 150.0;
        QTest::newRow("one cell over 4200 x 4200 pixels") << 4200 << 12600.0;
    }
    void shadowOfAWideBlurMatchesGaussian()
    {
        QFETCH(int, side);
        QFETCH(double, sigma);
        QImage opaque(side, side, QImage::Format_RGB32);
        opaque.fill(Qt::black);
        const StyledImage image(opaque, {});
        // The image sits in the middle of a canvas three times its side.
        const QSize canvas(3 * side, 3 * side);
        ShadowField field;
        field.build(image, {}, QPointF(side, side), QPointF(0, 0), sigma, canvas);
        QVERIFY(!field.isEmpty());

        std::vector<float> row;
        double worst = 0, strongest = 0;
        for (int y = 0; y < canvas.height(); y += canvas.height() / 24) {
            if (!field.prepareRow(y, row))
                continue;
            for (int x = field.firstColumn(); x < field.endColumn(); x += canvas.width() / 24) {
                uint8_t level = 0;
                field.sampleSpan(row, x, x + 1, 1.0f, &level);
                const double expected = 255 * boxUnderGaussian(x + 0.5, side, 2 * side, sigma) *
                                        boxUnderGaussian(y + 0.5, side, 2 * side, sigma);
                worst = std::max(worst, std::abs(level - expected));
                strongest = std::max(strongest, expected);
            }
        }
        QVERIFY(strongest > 4); // a shadow to speak of, so a wrong one shows
        QVERIFY2(worst <= 1.5, QByteArray::number(worst));
    }

    void frameSize_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("expectedPixels");
        QTest::newRow("phone with island") << "iphone16promax" << 1.0 << QSize(396, 850);
        QTest::newRow("thick phone bezel") << "iphoneSE" << 1.0 << QSize(414, 868);
        QTest::newRow("laptop grows a base") << "macbookpro14" << 1.0 << QSize(1016, 664);
        QTest::newRow("laptop at ratio 2") << "macbookpro14" << 2.0 << QSize(2032, 1328);
        QTest::newRow("desktop display has no base") << "imac24" << 1.0 << QSize(1040, 640);
        QTest::newRow("browser") << "browsersafaridark" << 1.0 << QSize(1002, 637);
    }
    void frameSize()
    {
        QFETCH(QString, id);
        QFETCH(double, ratio);
        const QImage image = framed(id, ratio);
        QTEST(image.size(), "expectedPixels");
        QCOMPARE(image.devicePixelRatio(), ratio);
    }

    void tinyScreenshotAndNoFrame()
    {
        // Large radii on a tiny screenshot still frame it; no frame is the same image.
        QCOMPARE(framed("iphone16pro", 1, solidImage(20, 10, screenColor)).size(), QSize(26, 16));
        const QImage plain = solidImage(40, 30, screenColor);
        QCOMPARE(DeviceFrameRenderer().frameImage(plain, noDeviceFrame()).cacheKey(), plain.cacheKey());
    }

    void frameProbes_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QPoint>("point"); // Qt pixels on the framed image
        QTest::addColumn<QColor>("expected");
        const QColor transparent(0, 0, 0, 0), black(Qt::black);
        const auto rgb = [](float r, float g, float b) { return QColor::fromRgbF(r, g, b); };
        const QColor natural = rgb(0.55f, 0.53f, 0.51f), dark = rgb(0.11f, 0.11f, 0.12f);
        // A 3-point natural body; island 110.88 wide from x 142.56, its top 12
        // points below the screen's top edge (Qt y 15..26).
        QTest::newRow("phone bezel") << "iphone16promax" << QPoint(1, 425) << natural;
        QTest::newRow("phone outer corner") << "iphone16promax" << QPoint(0, 0) << transparent;
        QTest::newRow("screen corner shows body") << "iphone16promax" << QPoint(17, 17) << natural;
        QTest::newRow("island left end") << "iphone16promax" << QPoint(150, 20) << black;
        QTest::newRow("beside the island") << "iphone16promax" << QPoint(138, 20) << screenColor;
        QTest::newRow("no island without the flag") << "iphoneSE" << QPoint(207, 29) << screenColor;
        // Laptop body Qt y 0..616, screen at (8, 8), base Qt y 616..664 from
        // x 203.2 to 812.8.
        QTest::newRow("laptop bezel is black") << "macbookpro14" << QPoint(5, 300) << black;
        QTest::newRow("notch reaches the top edge") << "macbookpro14" << QPoint(473, 8) << black;
        QTest::newRow("beside the notch") << "macbookpro14" << QPoint(468, 12) << screenColor;
        QTest::newRow("laptop base") << "macbookpro14" << QPoint(205, 650) << dark;
        QTest::newRow("beside the base") << "macbookpro14" << QPoint(200, 650) << transparent;
        QTest::newRow("silver laptop base") << "macbookair15" << QPoint(506, 650) << rgb(0.78f, 0.78f, 0.8f);
        QTest::newRow("display has no notch") << "imac24" << QPoint(520, 23) << screenColor;
        // Browser 1002 x 637: title bar Qt y 0..36, buttons at y 12..24.
        QTest::newRow("dark chrome") << "browsersafaridark" << QPoint(150, 20) << rgb(0.16f, 0.16f, 0.16f);
        QTest::newRow("close button") << "browsersafaridark" << QPoint(20, 18) << rgb(1.0f, 0.37f, 0.34f);
        QTest::newRow("minimise button") << "browserchrome" << QPoint(40, 18) << rgb(1.0f, 0.74f, 0.18f);
        QTest::newRow("zoom button") << "browsersafari" << QPoint(60, 18) << rgb(0.16f, 0.78f, 0.25f);
        QTest::newRow("browser window corner") << "browsersafari" << QPoint(0, 0) << transparent;
        QTest::newRow("content in bottom corners") << "browsersafari" << QPoint(1, 635) << screenColor;
    }
    void frameProbes()
    {
        QFETCH(QString, id);
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);
        VERIFY_NEAR(framed(id).pixelColor(point), expected, 1);
    }

    void screenshotIsCopiedOneToOne()
    {
        // A one-pixel checkerboard blurs to grey under any scaling or shift;
        // the browser's screen starts 1 point in and 36 down.
        QImage image = test::imageOf(
            400, 600, [](int x, int y) { return (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
        image.setDevicePixelRatio(2);
        const QImage out = framed(QStringLiteral("browserchrome"), 2, image);
        for (int y = 0; y < 600; y += 7)
            for (int x = 0; x < 400; x += 5)
                QCOMPARE(out.pixel(x + 2, y + 72), image.pixel(x, y));
    }

    void gradientKinds_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<QColor>("expected");
        // `t` of the way from red to blue.
        const auto row = [](const char* name, const BeautySettings& settings, QPoint probe, double t) {
            QTest::newRow(name) << settings << probe << mix(red, blue, t);
        };
        using enum GradientKind;
        // Linear at 0 degrees: from x = 0 to x = 100, t = (x + 0.5) / 100.
        row("linear middle", withGradient(linear, 0), {25, 10}, 0.255);
        row("linear end", withGradient(linear, 0), {99, 90}, 0.995);
        // Stops placed inward hold their colours outside them.
        const BeautySettings inward = withGradient(linear, 0, {{{0, 0, 1, 1}, 0.75}, {{1, 0, 0, 1}, 0.25}});
        row("before the first stop", inward, {10, 50}, 0);
        row("between inward stops", inward, {62, 50}, 0.75);
        row("after the last stop", inward, {90, 50}, 1);
        // Linear at 90 degrees runs upwards, from the bottom edge.
        row("upwards, bottom", withGradient(linear, 90), {10, 99}, 0.005);
        row("upwards, top", withGradient(linear, 90), {10, 0}, 0.995);
        // At 135 degrees from the bottom-right to the top-left; the corner lies beyond the start.
        row("135, bottom-right", withGradient(linear, 135), {99, 99}, 0);
        // Radial from the middle: the last stop at the corners, 70.7 points away.
        row("radial halfway", withGradient(radial, 0), {85, 50}, 35.5 / 70.71);
        row("radial corner", withGradient(radial, 0), {0, 0}, 69.99 / 70.71);
        // A centre at the bottom-left corner (y counts from the bottom).
        row("radial from a corner, there", withGradient(radial, 0, redToBlue, {0, 0}), {0, 99}, 0.005);
        row("radial from a corner, across", withGradient(radial, 0, redToBlue, {0, 0}), {99, 0}, 0.995);
        // Conic: counter-clockwise from the angle, once round.
        row("conic a quarter turn, up", withGradient(conic, 0), {50, 10}, 0.25);
        row("conic half a turn, left", withGradient(conic, 0), {10, 50}, 0.5);
        row("conic from 90 degrees, left", withGradient(conic, 90), {10, 50}, 0.25);
        // Stop opacity reaches the canvas.
        QTest::newRow("half-transparent stops")
            << withGradient(linear, 0, {{{1, 0, 0, 0.5}, 0}, {{1, 0, 0, 0.5}, 1}}) << QPoint(50, 10)
            << QColor(255, 0, 0, 128);
    }
    void gradientKinds()
    {
        QFETCH(BeautySettings, settings);
        QFETCH(QPoint, probe);
        QFETCH(QColor, expected);
        const QImage out = composeBackground(settings);
        QCOMPARE(out.size(), QSize(100, 100));
        VERIFY_NEAR(out.pixelColor(probe), expected, 3);
    }

    void pictureCoversTheCanvas_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("dim");
        QTest::addColumn<QColor>("expected"); // everywhere on the background
        const QList<QColor> rgb{Qt::red, Qt::green, Qt::blue};
        // The square canvas shows the middle third of a 3:1 picture, and the
        // middle third of a 1:3 one: the cover fit cuts the longer side.
        const QImage wide = bands({300, 100}, rgb, Qt::Horizontal);
        const QImage tall = bands({100, 300}, rgb, Qt::Vertical);
        QTest::newRow("wide picture") << wide << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("tall picture") << tall << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("small picture enlarged")
            << bands({30, 10}, rgb, Qt::Horizontal) << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("at ratio 2") << wide << 2.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("dimmed by half") << wide << 1.0 << 0.5 << QColor(0, 128, 0);
    }
    void pictureCoversTheCanvas()
    {
        QFETCH(QImage, picture);
        QFETCH(double, ratio);
        QFETCH(double, dim);
        QFETCH(QColor, expected);
        BeautySettings settings = pictureSettings(picture, "picture.png");
        settings.backgroundImageDim = dim;
        const QImage out = composeBackground(settings, ratio);
        QCOMPARE(out.size(), QSize(100, 100) * ratio);
        for (const QPoint probe :
             {QPoint(1, 1), QPoint(98, 1), QPoint(1, 98), QPoint(98, 98), QPoint(30, 50)})
            VERIFY_NEAR(out.pixelColor(probe * ratio), expected, 2);
    }

    // A blur mixes across the picture's edges inside it, never with black
    // beyond them; a file that cannot be read leaves white.
    void pictureBlurAndMissingFile()
    {
        BeautySettings settings =
            pictureSettings(bands({200, 200}, {Qt::red, Qt::blue}, Qt::Horizontal), "halves.png");
        settings.backgroundImageBlur = 8;
        const QImage out = composeBackground(settings);
        VERIFY_NEAR(out.pixelColor(0, 0), QColor(Qt::red), 4);
        VERIFY_NEAR(out.pixelColor(99, 99), QColor(Qt::blue), 4);
        VERIFY_NEAR(out.pixelColor(50, 10), mix(Qt::red, Qt::blue, 0.5), 24);

        settings.backgroundImagePath = m_files.filePath(QStringLiteral("gone.png"));
        VERIFY_NEAR(composeBackground(settings).pixelColor(10, 10), QColor(Qt::white), 0);
    }

    // A picture replaced on disk under the same name is read again by a
    // processor that composed the old one.
    void replacedPictureIsReadAgain()
    {
        BeautySettings settings = pictureSettings(solidImage(50, 50, Qt::red), "swapped.png");
        ImageProcessor processor;
        const QImage source = solidImage(2, 2, Qt::transparent);
        VERIFY_NEAR(processor.process(source, settings).pixelColor(5, 5), QColor(Qt::red), 0);
        const QString path = savedImage(solidImage(50, 50, Qt::green), "swapped.png"); // same size
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite)); // file times may be whole seconds
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        settings.padding = 30; // any change that recomposes the base layer
        VERIFY_NEAR(processor.process(source, settings).pixelColor(5, 5), QColor(Qt::green), 0);
    }

    // The matched background runs from the screenshot's main colour to its
    // second, bottom-left to top-right.
    void matchRunsBetweenTheScreenshotsColours()
    {
        const QColor orange(240, 140, 30), teal(20, 150, 140);
        QImage source = bands({40, 40}, {orange, orange, teal}, Qt::Horizontal);
        BeautySettings settings = plainSettings(30);
        settings.backgroundType = BackgroundType::match;
        const QImage out = compose(source, settings);
        VERIFY_NEAR(out.pixelColor(0, 99), orange, 2);
        VERIFY_NEAR(out.pixelColor(99, 0), teal, 2);
    }

    void contentInsideUniformMargins_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("content");
        QImage framed = solidImage(200, 100, Qt::white);
        QPainter(&framed).fillRect(30, 20, 100, 50, Qt::red);
        QTest::newRow("white margins") << framed << QRect(30, 20, 100, 50);
        QImage noisy = framed.copy();
        for (int x = 0; x < 200; x += 3)
            noisy.setPixelColor(x, 5, QColor(250, 249, 251)); // compression noise, within tolerance
        QTest::newRow("noisy margins") << noisy << QRect(30, 20, 100, 50);
        QImage marked = framed.copy();
        marked.setPixelColor(190, 90, Qt::black); // a real detail in a margin stays
        QTest::newRow("detail in a margin") << marked << QRect(30, 20, 161, 71);
        QImage clear = solidImage(50, 40, Qt::transparent);
        QPainter(&clear).fillRect(10, 0, 20, 40, Qt::blue);
        QTest::newRow("transparent sides") << clear << QRect(10, 0, 20, 40);
        QTest::newRow("one colour throughout") << solidImage(30, 20, Qt::white) << QRect(0, 0, 30, 20);
        QImage line = solidImage(30, 20, Qt::white);
        QPainter(&line).fillRect(0, 10, 30, 1, Qt::black);
        QTest::newRow("a single row of content") << line << QRect(0, 10, 30, 1);
        QImage corner = solidImage(60, 40, Qt::white);
        QPainter(&corner).fillRect(0, 0, 20, 20, Qt::red);
        QTest::newRow("subject in a corner keeps every side") << corner << QRect(0, 0, 60, 40);
    }
    void contentInsideUniformMargins()
    {
        QFETCH(QImage, image);
        QTEST(contentRect(image), "content");
    }

    // Auto-balance composes only the content, padded by its share of the
    // content's size, whatever the padding fields say.
    void autoBalanceTrimsAndPads()
    {
        QImage framed = solidImage(400, 200, Qt::white);
        QPainter(&framed).fillRect(60, 40, 300, 100, Qt::red);
        framed.setDevicePixelRatio(2);
        BeautySettings settings = plainSettings(64);
        settings.autoBalance = true;
        settings.paddingUniform = false;
        const QImage out = compose(framed, settings);
        // 6% of 150 points is below the floor of 16.
        QCOMPARE(out.size(), QSize(2 * (150 + 2 * 16), 2 * (50 + 2 * 16)));
        VERIFY_NEAR(out.pixelColor(32, 32), QColor(Qt::red), 0);
        VERIFY_NEAR(out.pixelColor(31, 31), QColor(Qt::blue), 0);
        VERIFY_NEAR(out.pixelColor(331, 131), QColor(Qt::red), 0);
        QCOMPARE(balancedPadding({1000, 600}), 60.0);
    }

    // The looks that existed before the later styling fields, pinned to the
    // exact pixels they composed to when those fields were added.
    void earlierLooksKeepTheirBytes_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<QByteArray>("digest");
        const BeautySettings preset{.gradientPresetId = gradientPresets().at(5).id};
        const BeautySettings solid{
            .borderWidth = 3, .backgroundType = BackgroundType::solid, .solidColor = {0.2, 0.4, 0.6, 1}};
        // 208 points tall: the squares, counted from the bottom edge, leave a cut top row.
        const BeautySettings checkerboard{.backgroundType = BackgroundType::transparent,
                                          .canvasPresetId = "16:9"};
        QTest::newRow("default") << BeautySettings{}
                                 << QByteArray("3e8e3b77a9d94dd1fc79746077b48da75fba9056");
        QTest::newRow("preset gradient") << preset << QByteArray("638fd2e5eff2e0607b56edbb8a3a5ebec1c571d3");
        QTest::newRow("solid with border") << solid << QByteArray("c492b87e074029e5703a2b7c51bf4deae4e9f0a2");
        QTest::newRow("checkerboard, widened")
            << checkerboard << QByteArray("38ebafaa8656653275b3e6d713fca0b46c0efc9b");
    }
    void earlierLooksKeepTheirBytes()
    {
        QFETCH(BeautySettings, settings);
        // A drawn screenshot with soft edges and see-through parts, at ratio 2.
        QImage source = solidImage(240, 160, Qt::transparent);
        {
            QPainter painter(&source);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor(30, 120, 200));
            painter.drawEllipse(QRectF(10, 10, 220, 140));
            painter.fillRect(QRect(0, 0, 240, 30), QColor(40, 40, 46, 200));
        }
        source.setDevicePixelRatio(2);
        QTEST(pixelDigest(compose(source, settings)), "digest");
    }

    void pixelRange_data()
    {
        QTest::addColumn<UnitRect>("area");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("expected");
        // Canvas 528 x 428 with a 400 x 300 point screenshot at (64, 64).
        const UnitRect overImage{64.0 / 528, 64.0 / 428, 400.0 / 528, 300.0 / 428};
        QTest::newRow("over padding only") << UnitRect{0, 0, 0.1, 0.1} << 1.0 << QRect();
        QTest::newRow("exactly over the image") << overImage << 1.0 << QRect(0, 0, 400, 300);
        QTest::newRow("fractional edges take whole pixels")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 1.0 << QRect(QPoint(68, 107), QPoint(120, 149));
        QTest::newRow("straddling padding is clamped")
            << UnitRect{0, 0, 0.5, 0.5} << 1.0 << QRect(QPoint(0, 150), QPoint(199, 299));
        QTest::newRow("empty area") << UnitRect{0.5, 0.5, 0, 0.1} << 1.0 << QRect();
        QTest::newRow("ratio 2 fractional edges")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 2.0 << QRect(QPoint(136, 214), QPoint(241, 299));
    }
    void pixelRange()
    {
        QFETCH(UnitRect, area);
        QFETCH(double, ratio);
        QImage image(int(400 * ratio), int(300 * ratio), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        QTEST(removalPixelRange(area, QSizeF(528, 428), QRectF(64, 64, 400, 300), image), "expected");
    }

    void exactBytes_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRgb>("expected"); // premultiplied, every pixel of the area
        const QRgb black = qRgba(0, 0, 0, 255), white = qRgba(255, 255, 255, 255);
        QTest::newRow("flat over one colour") << filled(7, 7, qRgba(200, 100, 50, 255), {2, 2, 3, 3}, black)
                                              << QRect(2, 2, 3, 3) << qRgba(200, 100, 50, 255);
        // Interpolation over a varied band is held to the reference below.
        QTest::newRow("whole image has no band")
            << busyImage(9, 6) << QRect(0, 0, 9, 6) << qRgba(127, 127, 127, 255);
        // Only the two inner sides are sampled; the white diagonal block and
        // the red corner pixel would spoil the flat fill if they were.
        QImage corner = filled(10, 10, qRgba(30, 60, 90, 255), {2, 2, 3, 3}, white);
        corner.setPixel(0, 0, qRgba(255, 0, 0, 255));
        QTest::newRow("corner skips diagonal") << corner << QRect(0, 0, 2, 2) << qRgba(30, 60, 90, 255);
        // Six differing samples: too few to judge, so their mean.
        QImage few = filled(4, 4, black, {0, 1, 1, 3}, qRgba(255, 0, 0, 255));
        for (int k = 1; k < 4; ++k)
            few.setPixel(k, 0, qRgba(0, 0, 255, 255));
        QTest::newRow("fewer than 11 samples") << few << QRect(0, 0, 1, 1) << qRgba(127, 0, 127, 255);
        QTest::newRow("range past the edge") << few << QRect(5, -8, 5, 5) << QRgb(0);
    }
    void exactBytes()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, area);
        QFETCH(QRgb, expected);
        const QImage result = fillRemovalArea(image, area);
        QCOMPARE(result.size(), image.size());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(result.pixel(x, y), area.contains(x, y) ? expected : image.pixel(x, y));
    }

    void matchesReference_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("opaque"); // an opaque band takes a shorter path
        QTest::newRow("1x1") << QSize(20, 20) << QRect(9, 9, 1, 1) << false;
        QTest::newRow("17x9 odd sizes") << QSize(40, 30) << QRect(11, 7, 17, 9) << false;
        QTest::newRow("against left edge") << QSize(60, 50) << QRect(0, 10, 25, 30) << false;
        QTest::newRow("against bottom right") << QSize(60, 50) << QRect(40, 33, 20, 17) << false;
        // Lines of 64 pixels on go through the FFT: the shortest such area, also in debug builds.
        QTest::newRow("70x20") << QSize(100, 40) << QRect(15, 10, 70, 20) << false;
        QTest::newRow("600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << false;
        QTest::newRow("opaque 17x9") << QSize(40, 30) << QRect(11, 7, 17, 9) << true;
        QTest::newRow("opaque 600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << true;
    }
    void matchesReference()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QRect, area);
        QFETCH(bool, opaque);
#ifndef NDEBUG
        if (area.width() >= 300)
            QSKIP("the large areas are compared in optimised builds");
#endif
        QImage image = busyImage(imageSize.width(), imageSize.height(), opaque);
        image.setDevicePixelRatio(2);
        const QImage before = image.copy();
        const QImage fast = fillRemovalArea(image, area);
        QCOMPARE(fast.devicePixelRatio(), 2.0);
        QCOMPARE(image, before); // input untouched
        const auto format = QImage::Format_RGBA8888_Premultiplied;
        QVERIFY(byteDifferences(fast.convertToFormat(format), referenceRemovalFill(image, area)).largest <=
                1);
    }
};

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
