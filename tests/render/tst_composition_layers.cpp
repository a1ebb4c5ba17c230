// Shadow, drawing order and the kept base layer of the composition. The
// shadow is compared with a Gaussian of the image's alpha computed here, also
// for blurs far wider than the image, where sums outgrow 32 bits.
#include "render/image_processor.h"
#include "render/shadow_field.h"
#include "render_probe.h"

#include <QTest>
#include <array>
#include <limits>

using namespace lustrelab;

namespace {

ShapeOverlay filledBox(UnitPoint from, UnitPoint to)
{
    ShapeOverlay shape;
    shape.startPoint = from;
    shape.endPoint = to;
    shape.fillColor = shape.strokeColor; // red
    return shape;
}

} // namespace

class TestCompositionLayers : public QObject
{
    Q_OBJECT
  private slots:
    void shadowMatchesGaussian_data()
    {
        QTest::addColumn<double>("blur");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("offset");
        QTest::newRow("default blur 40") << 40.0 << 1.0 << QPointF(0, 10);
        QTest::newRow("blur 40 at ratio 2") << 40.0 << 2.0 << QPointF(0, 10);
        QTest::newRow("blur 12, offset both ways") << 12.0 << 1.0 << QPointF(-6, 4);
        QTest::newRow("small blur, fractional offset") << 3.0 << 1.0 << QPointF(2.5, -1.25);
    }
    void shadowMatchesGaussian()
    {
        QFETCH(double, blur);
        QFETCH(double, ratio);
        QFETCH(QPointF, offset);
        const double tolerance = blur < 5 ? 2.5 : 1.6; // levels of 255; small blurs soften on the pixel grid
        // A 60 x 40 point black image: its shadow is that rectangle blurred.
        const QImage source = solidImage(int(60 * ratio), int(40 * ratio), Qt::black, ratio);
        BeautySettings settings = plainSettings(64, Qt::white, true);
        settings.shadowBlur = blur;
        settings.shadowOffsetX = offset.x();
        settings.shadowOffsetY = offset.y();
        settings.shadowOpacity = 1; // the full range of levels, the strictest comparison
        const QImage out = compose(source, settings);
        QCOMPARE(out.size(), QSize(int(188 * ratio), int(168 * ratio)));

        const double sigma = blur / 2 * ratio;
        const double left = (64 + offset.x()) * ratio, top = (64 + offset.y()) * ratio;
        const QRect image(int(64 * ratio), int(64 * ratio), source.width(), source.height());
        double worst = 0;
        for (int y = 0; y < out.height(); y += 3)
            for (int x = 0; x < out.width(); x += 3)
                if (!image.contains(x, y)) {
                    const double alpha = boxUnderGaussian(x + 0.5, left, left + source.width(), sigma) *
                                         boxUnderGaussian(y + 0.5, top, top + source.height(), sigma);
                    worst = std::max(worst, std::abs(qRed(out.pixel(x, y)) - 255 * (1 - alpha)));
                }
        QVERIFY2(worst <= tolerance, QByteArray::number(worst));
        // A positive vertical offset shows the shadow below the image, not above.
        if (offset == QPointF(0, 10))
            QVERIFY(qRed(out.pixel(out.width() / 2, image.bottom() + 8)) <
                    qRed(out.pixel(out.width() / 2, image.top() - 8)) - 20);
    }

    // What the base layer's key must notice; overlay and removal changes are
    // run step by step in tst_incremental_annotations.
    void keptBaseLayerMatchesFreshComposition_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("styling and back") << 1;
        QTest::newRow("source edited in place") << 2;
        QTest::newRow("same source, other ratio") << 3;
    }
    void keptBaseLayerMatchesFreshComposition()
    {
        QFETCH(int, change);
        QImage source = solidImage(120, 80, QColor(30, 160, 90));
        for (int x = 0; x < 120; x += 7)
            source.setPixel(x, 40, qRgb(200, 20, 20));
        BeautySettings settings;
        settings.cornerRadius = 10;
        settings.borderWidth = 3;
        const QList<ShapeOverlay> shapes{filledBox({0.1, 0.1}, {0.3, 0.3})};
        ImageProcessor kept;
        kept.process(source, settings, {}, shapes, {});
        if (change == 1)
            kept.process(source, BeautySettings{}, {}, shapes, {});
        else if (change == 2)
            source.setPixel(60, 10, qRgb(0, 0, 0));
        else
            source.setDevicePixelRatio(2);
        const QImage again = kept.process(source, settings, {}, shapes, {});
        const QImage expected = ImageProcessor().process(source, settings, {}, shapes, {});
        QCOMPARE(again, expected); // size, ratio and every pixel
    }

    void earlierResultsStayUntouched()
    {
        // Buffers are reused between compositions; an image a caller still
        // holds must never be written again.
        const QImage source = solidImage(200, 150, QColor(50, 50, 200));
        ImageProcessor processor;
        QList<QImage> held, copies;
        for (int i = 0; i < 4; ++i) {
            held.append(
                processor.process(source, {}, {}, {filledBox({0.1 * i, 0.1}, {0.1 * i + 0.2, 0.5})}, {}));
            copies.append(held.last().copy());
        }
        QCOMPARE(held, copies);
    }

    void overlaysAreDrawnOnTheCanvas()
    {
        // A blue dot at image pixels 48..51 of a red 100 x 100 image padded by
        // 20: the removal area over canvas 66..74 must erase it; the shape
        // covers canvas x 3..14, y 126..137, all padding.
        QImage source = solidImage(100, 100, Qt::red);
        for (int y = 48; y < 52; ++y)
            for (int x = 48; x < 52; ++x)
                source.setPixel(x, y, qRgb(0, 0, 255));
        const RemovalArea area{
            QUuid::createUuid(), {66 / 140.0, 66 / 140.0, 8 / 140.0, 8 / 140.0}, RemovalMethod::contentAware};
        ImageProcessor processor;
        const QImage out = processor.process(source, plainSettings(20, Qt::white), {},
                                             {filledBox({0.02, 0.02}, {0.1, 0.1})}, {area});
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
        field.build(image, QPointF(side, side), QPointF(0, 0), sigma, canvas);
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
};

QTEST_MAIN(TestCompositionLayers)
#include "tst_composition_layers.moc"
