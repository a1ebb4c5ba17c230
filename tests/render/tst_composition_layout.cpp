// Where things land on the composed canvas: sizes, placement, background,
// corners and border, pixel density. Expectations are computed here from the
// geometry, never taken from images the code under test made.
#include "model/color_hex.h"
#include "model/gradient_preset.h"
#include "render/background_fill.h"
#include "render/canvas_layout.h"
#include "render/image_processor.h"
#include "render/layer_compositor.h"

#include <QTest>
#include <cmath>

using namespace lustrelab;

namespace {

QImage solidImage(int width, int height, QColor color, double ratio = 1)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    image.setDevicePixelRatio(ratio);
    return image;
}

// Plain styling: no shadow, square corners, a solid blue background.
BeautySettings plainSettings(double padding = 64)
{
    BeautySettings s;
    s.shadowEnabled = false;
    s.cornerRadius = 0;
    s.padding = padding;
    s.backgroundType = BackgroundType::solid;
    s.solidColor = {0, 0, 1, 1};
    return s;
}

QImage compose(const QImage& source, const BeautySettings& settings)
{
    ImageProcessor processor;
    return processor.process(source, settings, {}, {}, {});
}

bool near(QRgb actual, QColor expected, int tolerance = 2)
{
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance &&
           std::abs(qAlpha(actual) - expected.alpha()) <= tolerance;
}

QByteArray describe(QRgb p)
{
    return QByteArray::number(qRed(p)) + "," + QByteArray::number(qGreen(p)) + "," +
           QByteArray::number(qBlue(p)) + "," + QByteArray::number(qAlpha(p));
}

// A gradient rendered on a canvas of `size` points with nothing on it.
QImage renderGradient(const GradientPreset& preset, QSize size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    const BackgroundFill fill(preset, QSizeF(size), 1.0);
    BaseLayer layer;
    layer.background = &fill;
    composeBaseLayer(canvas, layer);
    return canvas;
}

} // namespace

class TestCompositionLayout : public QObject
{
    Q_OBJECT
  private slots:
    void canvasGeometry_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QList<double>>("padding"); // uniform: one value; else top, bottom, leading, trailing
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QPointF>("imageTopLeft"); // Qt coordinates
        QTest::newRow("auto") << "auto" << QList<double>{64} << QSizeF(528, 428) << QPointF(64, 64);
        QTest::newRow("16:9 widens") << "16:9" << QList<double>{64} << QSizeF(428 * (16.0 / 9.0), 428)
                                     << QPointF(64 + (428 * (16.0 / 9.0) - 528) / 2, 64);
        QTest::newRow("9:16 grows down") << "9:16" << QList<double>{64} << QSizeF(528, 528 / 0.5625)
                                         << QPointF(64, 64 + (528 / 0.5625 - 428) / 2);
        QTest::newRow("equal ratio keeps size")
            << "4:3" << QList<double>{0} << QSizeF(400, 300) << QPointF(0, 0);
        QTest::newRow("unknown preset is auto")
            << "no-such" << QList<double>{64} << QSizeF(528, 428) << QPointF(64, 64);
        // 20 from the left, 50 above the bottom edge: top = 360 - 50 - 300.
        QTest::newRow("non-uniform padding")
            << "auto" << QList<double>{10, 50, 20, 0} << QSizeF(420, 360) << QPointF(20, 10);
        QTest::newRow("social preset searched after ratios")
            << "instagram" << QList<double>{64} << QSizeF(528, 528) << QPointF(64, 114);
    }
    void canvasGeometry()
    {
        QFETCH(QString, preset);
        QFETCH(QList<double>, padding);
        QFETCH(QSizeF, canvas);
        QFETCH(QPointF, imageTopLeft);
        BeautySettings settings = plainSettings(padding[0]);
        settings.canvasPresetId = preset;
        if (padding.size() == 4) {
            settings.paddingUniform = false;
            settings.paddingTop = padding[0];
            settings.paddingBottom = padding[1];
            settings.paddingLeading = padding[2];
            settings.paddingTrailing = padding[3];
        }
        const CanvasLayout layout = computeCanvasLayout(QSizeF(400, 300), settings);
        QCOMPARE(layout.canvasSize.width(), canvas.width());
        QCOMPARE(layout.canvasSize.height(), canvas.height());
        QCOMPARE(layout.imageRect.topLeft(), imageTopLeft);
        QCOMPARE(layout.imageRect.size(), QSizeF(400, 300));

        // The composed image: pixel size rounded up; red exactly from the
        // first whole pixel inside the image rectangle, blue just outside it.
        const QImage out = compose(solidImage(400, 300, Qt::red), settings);
        QCOMPARE(out.size(), QSize(int(std::ceil(canvas.width())), int(std::ceil(canvas.height()))));
        const int left = int(std::ceil(imageTopLeft.x())), top = int(std::ceil(imageTopLeft.y()));
        QVERIFY2(near(out.pixel(left, top), Qt::red), describe(out.pixel(left, top)));
        QVERIFY(near(out.pixel(left + 399 - 1, top + 299 - 1), Qt::red));
        if (imageTopLeft.x() >= 1)
            QVERIFY2(near(out.pixel(int(imageTopLeft.x()) - 1, top + 10), Qt::blue),
                     describe(out.pixel(int(imageTopLeft.x()) - 1, top + 10)));
        if (imageTopLeft.y() >= 1)
            QVERIFY(near(out.pixel(left + 10, int(imageTopLeft.y()) - 1), Qt::blue));
        const int bottomGap = int(canvas.height() - imageTopLeft.y() - 300);
        if (bottomGap >= 1)
            QVERIFY(near(out.pixel(left + 10, top + 300), Qt::blue));
    }

    void imageBetweenPixelsCoversPartially()
    {
        // 16:9 puts the image's left edge at x = 180.444...: pixel column 180
        // is covered by 0.556 of red over blue, the columns after it fully.
        BeautySettings settings = plainSettings();
        settings.canvasPresetId = QStringLiteral("16:9");
        const QImage out = compose(solidImage(400, 300, Qt::red), settings);
        const double left = 64 + (428 * (16.0 / 9.0) - 528) / 2;
        const double covered = 181 - left;
        const QRgb edge = out.pixel(180, 200);
        QVERIFY2(std::abs(qRed(edge) - 255 * covered) <= 2, describe(edge));
        QVERIFY2(std::abs(qBlue(edge) - 255 * (1 - covered)) <= 2, describe(edge));
        QCOMPARE(out.pixel(181, 200), qRgb(255, 0, 0));
        QCOMPARE(out.pixel(179, 200), qRgb(0, 0, 255));
        // The right edge ends at 580.444: column 580 holds the remaining 0.444.
        const QRgb right = out.pixel(580, 200);
        QVERIFY2(std::abs(qRed(right) - 255 * (1 - covered)) <= 2, describe(right));
    }

    void gradientEnds_data()
    {
        // Angle, then the corners (Qt pixel coordinates on a 200 x 200 canvas)
        // where the first and the last colour must appear.
        QTest::addColumn<double>("angle");
        QTest::addColumn<QPoint>("firstAt");
        QTest::addColumn<QPoint>("lastAt");
        QTest::newRow("0: left to right") << 0.0 << QPoint(0, 100) << QPoint(199, 100);
        QTest::newRow("45: bottom-left to top-right") << 45.0 << QPoint(0, 199) << QPoint(199, 0);
        QTest::newRow("90: bottom to top") << 90.0 << QPoint(100, 199) << QPoint(100, 0);
        QTest::newRow("135: bottom-right to top-left") << 135.0 << QPoint(199, 199) << QPoint(0, 0);
    }
    void gradientEnds()
    {
        QFETCH(double, angle);
        QFETCH(QPoint, firstAt);
        QFETCH(QPoint, lastAt);
        // A catalogue preset with this angle where one exists, else one made here.
        GradientPreset preset{
            QStringLiteral("test"),
            QStringLiteral("Test"),
            {QStringLiteral("#FF0000"), QStringLiteral("#00FF00"), QStringLiteral("#0000FF")},
            angle};
        for (const GradientPreset& p : gradientPresets())
            if (p.angle == angle && p.colors.size() >= 2 &&
                colorFromHex(p.colors.first()) != colorFromHex(p.colors.last())) {
                preset = p;
                break;
            }
        const QImage out = renderGradient(preset, QSize(200, 200));
        const QColor first = colorFromHex(preset.colors.first()), last = colorFromHex(preset.colors.last());
        QVERIFY2(near(out.pixel(firstAt), first, 3), describe(out.pixel(firstAt)));
        QVERIFY2(near(out.pixel(lastAt), last, 3), describe(out.pixel(lastAt)));
    }

    void catalogueGradientFillsTheCanvas()
    {
        // A catalogue id through the whole pipeline: a see-through screenshot
        // with no padding leaves the gradient visible edge to edge.
        const GradientPreset* preset = nullptr;
        for (const GradientPreset& p : gradientPresets())
            if (p.angle == 135 && colorFromHex(p.colors.first()) != colorFromHex(p.colors.last())) {
                preset = &p;
                break;
            }
        if (!preset)
            QSKIP("no 135-degree gradient in the catalogue");
        BeautySettings settings = plainSettings(0);
        settings.backgroundType = BackgroundType::gradient;
        settings.gradientPresetId = preset->id;
        const QImage out = compose(solidImage(200, 200, Qt::transparent), settings);
        QVERIFY(near(out.pixel(199, 199), colorFromHex(preset->colors.first()), 3));
        QVERIFY(near(out.pixel(0, 0), colorFromHex(preset->colors.last()), 3));
    }

    void gradientStopsAreEvenlySpaced()
    {
        // Three colours at 0, 0.5 and 1: the middle one sits on the centre line.
        const GradientPreset preset{
            QStringLiteral("t"),
            QStringLiteral("T"),
            {QStringLiteral("#000000"), QStringLiteral("#FF8000"), QStringLiteral("#FFFFFF")},
            0};
        const QImage out = renderGradient(preset, QSize(400, 100));
        const QRgb middle = out.pixel(200, 50);
        QVERIFY2(near(middle, QColor(255, 128, 0), 3), describe(middle));
        // The ramp follows the longer side: on a 100 x 400 canvas at 0 degrees
        // it runs from x = -150 to x = 250, past both edges.
        const QImage tall = renderGradient(preset, QSize(100, 400));
        auto expectedAt = [](double x) {
            const double t = (x + 0.5 + 150) / 400;
            if (t <= 0.5)
                return QColor::fromRgbF(float(t / 0.5), float(t / 0.5 * 128 / 255), 0);
            const double f = (t - 0.5) / 0.5;
            return QColor::fromRgbF(1, float((128 + 127 * f) / 255), float(f));
        };
        QVERIFY2(near(tall.pixel(0, 200), expectedAt(0), 3), describe(tall.pixel(0, 200)));
        QVERIFY2(near(tall.pixel(99, 200), expectedAt(99), 3), describe(tall.pixel(99, 200)));
    }

    void backgroundKinds_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("gradientId");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("unknown gradient id is white")
            << int(BackgroundType::gradient) << "ocean" << QColor(Qt::white);
        QTest::newRow("solid") << int(BackgroundType::solid) << "" << QColor(0, 0, 255);
    }
    void backgroundKinds()
    {
        QFETCH(int, type);
        QFETCH(QString, gradientId);
        QFETCH(QColor, expected);
        BeautySettings settings = plainSettings(20);
        settings.backgroundType = BackgroundType(type);
        settings.gradientPresetId = gradientId;
        const QImage out = compose(solidImage(10, 10, Qt::red), settings);
        for (QPoint p : {QPoint(0, 0), QPoint(49, 49), QPoint(0, 49), QPoint(25, 5)})
            QVERIFY2(near(out.pixel(p), expected), describe(out.pixel(p)));
    }

    void translucentSolidStaysTranslucent()
    {
        BeautySettings settings = plainSettings(20);
        settings.solidColor = {1, 0, 0, 0.5};
        const QImage out =
            compose(solidImage(10, 10, Qt::blue), settings).convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(near(out.pixel(2, 2), QColor(255, 0, 0, 128)), describe(out.pixel(2, 2)));
    }

    void checkerboardStartsBottomLeft()
    {
        // Canvas 45 x 35: squares counted from the bottom edge, so the grey
        // bottom-left square covers rows 25..34 and the topmost row of squares
        // is cut to 5 rows.
        BeautySettings settings = plainSettings(10);
        settings.backgroundType = BackgroundType::transparent;
        const QImage out = compose(solidImage(25, 15, Qt::transparent), settings);
        QCOMPARE(out.size(), QSize(45, 35));
        const QColor grey = QColor::fromRgbF(0.9f, 0.9f, 0.9f);
        const QColor white(Qt::white);
        QVERIFY2(near(out.pixel(2, 32), grey, 1), describe(out.pixel(2, 32)));   // bottom-left
        QVERIFY(near(out.pixel(12, 32), white, 1));                              // right of it
        QVERIFY(near(out.pixel(2, 22), white, 1));                               // above it
        QVERIFY2(near(out.pixel(12, 22), grey, 1), describe(out.pixel(12, 22))); // diagonal
        QVERIFY(near(out.pixel(2, 12), grey, 1));
        QVERIFY2(near(out.pixel(2, 2), white, 1), describe(out.pixel(2, 2))); // cut top row, index 3
        QVERIFY(near(out.pixel(34, 2), grey, 1));                             // column 3, row 3
        QVERIFY(near(out.pixel(44, 2), white, 1));                            // column 4, row 3
    }

    void cornersAndBorder_data()
    {
        // A 100 x 100 red image at (20, 20) on blue; border green.
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("border");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<QColor>("expected");
        const QColor red(Qt::red), blue(Qt::blue), green(Qt::green);
        QTest::newRow("round corner shows background") << 12.0 << 0.0 << QPoint(20, 20) << blue;
        QTest::newRow("round corner keeps the edge middle") << 12.0 << 0.0 << QPoint(70, 20) << red;
        QTest::newRow("just inside the arc") << 12.0 << 0.0 << QPoint(25, 25) << red;
        QTest::newRow("border inside the edge") << 12.0 << 4.0 << QPoint(70, 21) << green;
        QTest::newRow("border is inside, not outside") << 12.0 << 4.0 << QPoint(70, 19) << blue;
        QTest::newRow("image after the border") << 12.0 << 4.0 << QPoint(70, 25) << red;
        QTest::newRow("border follows the right edge") << 12.0 << 4.0 << QPoint(118, 70) << green;
        QTest::newRow("wide border squares the corner") << 12.0 << 30.0 << QPoint(20, 20) << green;
        QTest::newRow("wide border covers the band") << 12.0 << 30.0 << QPoint(48, 48) << green;
        QTest::newRow("wide border leaves the middle") << 12.0 << 30.0 << QPoint(51, 51) << red;
        QTest::newRow("no stroke at width 0") << 0.0 << 0.0 << QPoint(70, 20) << red;
        QTest::newRow("huge radius is clamped") << 1000.0 << 0.0 << QPoint(70, 70) << red;
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
        settings.cornerRadius = radius;
        settings.borderWidth = border;
        settings.borderColor = {0, 1, 0, 1};
        const QImage out = compose(solidImage(100, 100, Qt::red), settings);
        QVERIFY2(near(out.pixel(probe), expected), describe(out.pixel(probe)));
    }

    void composesAtTheSourceRatio_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QPoint>("firstImagePixel");
        QTest::newRow("ratio 2") << 2.0 << "auto" << QSize(240, 190) << QPoint(20, 20);
        // 16:9 of 120 x 95 points: 168.888... x 95 points, 337.77... pixels wide.
        QTest::newRow("ratio 2, widened") << 2.0 << "16:9" << QSize(338, 190) << QPoint(69, 20);
        QTest::newRow("ratio 1.5") << 1.5 << "auto" << QSize(180, 143) << QPoint(15, 15);
    }
    void composesAtTheSourceRatio()
    {
        QFETCH(double, ratio);
        QFETCH(QString, preset);
        QFETCH(QSize, pixels);
        QFETCH(QPoint, firstImagePixel);
        // 100 x 75 points whatever the ratio.
        const QImage source = solidImage(int(100 * ratio), int(std::ceil(75 * ratio)), Qt::red, ratio);
        BeautySettings settings = plainSettings(10);
        settings.canvasPresetId = preset;
        const QImage out = compose(source, settings);
        QCOMPARE(out.size(), pixels);
        QCOMPARE(out.devicePixelRatio(), ratio);
        QVERIFY2(near(out.pixel(firstImagePixel), Qt::red), describe(out.pixel(firstImagePixel)));
        QVERIFY(near(out.pixel(firstImagePixel - QPoint(2, 2)), Qt::blue));
    }

    void nullSourceComesBack()
    {
        ImageProcessor processor;
        QVERIFY(processor.process(QImage(), BeautySettings(), {}, {}, {}).isNull());
    }
};

QTEST_MAIN(TestCompositionLayout)
#include "tst_composition_layout.moc"
