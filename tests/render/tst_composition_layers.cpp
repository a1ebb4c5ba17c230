// Shadow, drawing order and the kept base layer of the composition. The
// shadow is compared with a Gaussian of the image's alpha computed here.
#include "model/device_frame.h"
#include "render/image_processor.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace lustrelab;

namespace {

QImage solidImage(int width, int height, QColor color, double ratio = 1)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    image.setDevicePixelRatio(ratio);
    return image;
}

BeautySettings onWhite(double padding = 64)
{
    BeautySettings s;
    s.cornerRadius = 0;
    s.padding = padding;
    s.backgroundType = BackgroundType::solid;
    s.solidColor = {1, 1, 1, 1};
    return s;
}

// Fraction of a 1-D box [from, to) under a Gaussian centred on c.
double boxUnderGaussian(double c, double from, double to, double sigma)
{
    const double k = 1 / (sigma * std::sqrt(2.0));
    return 0.5 * (std::erf((to - c) * k) - std::erf((from - c) * k));
}

ShapeOverlay filledBox(UnitPoint from, UnitPoint to, CodableColor color)
{
    ShapeOverlay shape;
    shape.startPoint = from;
    shape.endPoint = to;
    shape.strokeColor = color;
    shape.fillColor = color;
    return shape;
}

int differingPixels(const QImage& a, const QImage& b, QRect area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
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
        QTest::addColumn<double>("tolerance"); // levels of 255 at full opacity
        QTest::newRow("default blur 40") << 40.0 << 1.0 << QPointF(0, 10) << 1.6;
        QTest::newRow("blur 40 at ratio 2") << 40.0 << 2.0 << QPointF(0, 10) << 1.6;
        QTest::newRow("blur 12, offset both ways") << 12.0 << 1.0 << QPointF(-6, 4) << 1.6;
        // Half-pixel offsets on a pixel-sized grid: interpolation softens a little.
        QTest::newRow("small blur, fractional offset") << 3.0 << 1.0 << QPointF(2.5, -1.25) << 2.5;
        QTest::newRow("blur 25, odd size") << 25.0 << 1.0 << QPointF(3, 3) << 1.6;
    }
    void shadowMatchesGaussian()
    {
        QFETCH(double, blur);
        QFETCH(double, ratio);
        QFETCH(QPointF, offset);
        QFETCH(double, tolerance);
        // A 60 x 40 point black image: its shadow is that rectangle blurred.
        const QImage source = solidImage(int(60 * ratio), int(40 * ratio), Qt::black, ratio);
        BeautySettings settings = onWhite();
        settings.shadowBlur = blur;
        settings.shadowOffsetX = offset.x();
        settings.shadowOffsetY = offset.y();
        settings.shadowOpacity = 1; // the full range of levels, the strictest comparison
        ImageProcessor processor;
        const QImage out = processor.process(source, settings, {}, {}, {});
        QCOMPARE(out.size(), QSize(int(188 * ratio), int(168 * ratio)));

        const double sigma = blur / 2 * ratio;
        const double left = (64 + offset.x()) * ratio, top = (64 + offset.y()) * ratio;
        const QRect image(int(64 * ratio), int(64 * ratio), source.width(), source.height());
        double worst = 0;
        for (int y = 0; y < out.height(); y += 3) {
            for (int x = 0; x < out.width(); x += 3) {
                if (image.contains(x, y))
                    continue;
                const double alpha = boxUnderGaussian(x + 0.5, left, left + source.width(), sigma) *
                                     boxUnderGaussian(y + 0.5, top, top + source.height(), sigma);
                const double expected = 255 * (1 - alpha);
                worst = std::max(worst, std::abs(qRed(out.pixel(x, y)) - expected));
            }
        }
        QVERIFY2(worst <= tolerance, QByteArray::number(worst));
    }

    void shadowFollowsOffset_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<QPoint>("darkSide"); // Qt direction in which the shadow shows
        QTest::newRow("positive y: below") << QPointF(0, 10) << QPoint(0, 1);
        QTest::newRow("negative y: above") << QPointF(0, -10) << QPoint(0, -1);
        QTest::newRow("positive x: right") << QPointF(10, 0) << QPoint(1, 0);
        QTest::newRow("negative x: left") << QPointF(-10, 0) << QPoint(-1, 0);
    }
    void shadowFollowsOffset()
    {
        QFETCH(QPointF, offset);
        QFETCH(QPoint, darkSide);
        BeautySettings settings = onWhite();
        settings.shadowBlur = 8;
        settings.shadowOffsetX = offset.x();
        settings.shadowOffsetY = offset.y();
        settings.shadowOpacity = 0.5;
        ImageProcessor processor;
        const QImage out = processor.process(solidImage(100, 100, Qt::white), settings, {}, {}, {});
        // 6 points outside the image on the shadow's side and on the opposite side.
        const QPoint centre(114, 114);
        const QPoint dark = centre + darkSide * 56, light = centre - darkSide * 56;
        QVERIFY(qRed(out.pixel(dark)) < 220);
        QCOMPARE(qRed(out.pixel(light)), 255);
    }

    void translucentImageIsDrawnTwiceWithShadow_data()
    {
        QTest::addColumn<bool>("shadow");
        QTest::addColumn<int>("red");
        // Half-transparent blue over white: once leaves half the white
        // (red 128); the shadow step draws it a second time (red 64).
        QTest::newRow("shadow on") << true << 64;
        QTest::newRow("shadow off") << false << 128;
    }
    void translucentImageIsDrawnTwiceWithShadow()
    {
        QFETCH(bool, shadow);
        QFETCH(int, red);
        BeautySettings settings = onWhite(20);
        settings.shadowEnabled = shadow;
        settings.shadowOpacity = 0; // no visible shadow, only the second drawing
        for (double ratio : {1.0, 2.0}) {
            ImageProcessor processor;
            const QImage out =
                processor.process(solidImage(int(40 * ratio), int(40 * ratio), QColor(0, 0, 255, 128), ratio),
                                  settings, {}, {}, {});
            const QRgb inside = out.pixel(int(40 * ratio), int(40 * ratio));
            QVERIFY2(std::abs(qRed(inside) - red) <= 1, QByteArray::number(qRed(inside)));
            QCOMPARE(qBlue(inside), 255);
        }
        // Placed off the pixel grid (16:9 widening), the same holds.
        settings.canvasPresetId = QStringLiteral("16:9");
        ImageProcessor processor;
        const QImage out =
            processor.process(solidImage(40, 40, QColor(0, 0, 255, 128)), settings, {}, {}, {});
        const QRgb inside = out.pixel(out.width() / 2, 40);
        QVERIFY2(std::abs(qRed(inside) - red) <= 2, QByteArray::number(qRed(inside)));
    }

    void translucentImageCastsAShadowThroughItself()
    {
        // Half-transparent white over white, shadow at full opacity shifted
        // down by 10: in the middle the shadow (alpha 0.5) halves the white,
        // then the image is drawn twice: 128 + 0.5 (128 + 0.5 x 127.5) = 224.
        BeautySettings settings = onWhite(20);
        settings.shadowBlur = 4;
        settings.shadowOpacity = 1;
        settings.shadowOffsetY = 10;
        ImageProcessor processor;
        const QImage out =
            processor.process(solidImage(40, 40, QColor(255, 255, 255, 128)), settings, {}, {}, {});
        QVERIFY2(std::abs(qRed(out.pixel(40, 45)) - 224) <= 2, QByteArray::number(qRed(out.pixel(40, 45))));
        // Near the top edge the shifted shadow does not reach.
        QVERIFY(qRed(out.pixel(40, 21)) >= 254);
    }

    void keptBaseLayerMatchesFreshComposition_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("only the overlays") << 0;
        QTest::newRow("styling and back") << 1;
        QTest::newRow("source edited in place") << 2;
        QTest::newRow("removal area added") << 3;
        QTest::newRow("export fields only") << 4;
        QTest::newRow("same source, other ratio") << 5;
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
        QList<ShapeOverlay> shapes{filledBox({0.1, 0.1}, {0.3, 0.3}, {1, 0, 0, 1})};
        QList<RemovalArea> areas;
        ImageProcessor kept;
        kept.process(source, settings, {}, shapes, areas);
        switch (change) {
        case 0:
            shapes[0].endPoint = {0.5, 0.45};
            break;
        case 1: {
            BeautySettings other = settings;
            other.shadowOffsetY = -12;
            kept.process(source, other, {}, shapes, areas);
            break;
        }
        case 2:
            source.setPixel(60, 10, qRgb(0, 0, 0));
            break;
        case 3:
            areas.append(RemovalArea{QUuid::createUuid(), {0.4, 0.4, 0.2, 0.2}, RemovalMethod::contentAware});
            break;
        case 4:
            settings.exportScale = 3;
            settings.exportFormat = ExportFormat::jpeg;
            break;
        case 5:
            source.setDevicePixelRatio(2);
            break;
        }
        const QImage again = kept.process(source, settings, {}, shapes, areas);
        ImageProcessor fresh;
        const QImage expected = fresh.process(source, settings, {}, shapes, areas);
        QCOMPARE(again.size(), expected.size());
        QCOMPARE(again.devicePixelRatio(), expected.devicePixelRatio());
        QCOMPARE(QByteArrayView(again.constBits(), again.sizeInBytes()),
                 QByteArrayView(expected.constBits(), expected.sizeInBytes()));
    }

    void earlierResultsStayUntouched()
    {
        // Buffers are reused between compositions; an image a caller still
        // holds must never be written again.
        const QImage source = solidImage(200, 150, QColor(50, 50, 200));
        const BeautySettings settings;
        ImageProcessor processor;
        const QImage plain = processor.process(source, settings, {}, {}, {});
        const QImage plainCopy = plain.copy();
        QList<QImage> held, copies;
        for (int i = 0; i < 6; ++i) {
            const QList<ShapeOverlay> shapes{filledBox({0.1 * i, 0.1}, {0.1 * i + 0.2, 0.5}, {1, 0, 0, 1})};
            held.append(processor.process(source, settings, {}, shapes, {}));
            copies.append(held.last().copy());
        }
        QCOMPARE(plain, plainCopy);
        for (int i = 0; i < held.size(); ++i)
            QCOMPARE(held[i], copies[i]);
    }

    void textsAreDrawnAfterShapes()
    {
        const QImage source = solidImage(200, 100, Qt::white);
        BeautySettings settings = onWhite(0);
        settings.shadowEnabled = false;
        const QList<ShapeOverlay> cover{filledBox({0.0, 0.0}, {1.0, 1.0}, {0, 0, 0, 1})};
        TextOverlay text;
        text.text = QStringLiteral("HHHH");
        text.position = {0.5, 0.5};
        text.textColor = {1, 1, 1, 1};
        ImageProcessor processor;
        const QImage shapeOnly = processor.process(source, settings, {}, cover, {});
        const QImage both = processor.process(source, settings, {text}, cover, {});
        // Had the shape come last, its opaque fill would hide the text.
        QVERIFY(differingPixels(shapeOnly, both, QRect(40, 20, 120, 60)) > 20);
    }

    void shapeInPaddingDrawsOverBackground()
    {
        const QImage source = solidImage(100, 100, Qt::red);
        BeautySettings settings = onWhite(50);
        settings.shadowEnabled = false;
        ImageProcessor processor;
        const QImage without = processor.process(source, settings, {}, {}, {});
        // Bottom-left padding: unit (0.02..0.2, 0.02..0.2) is Qt x 4..40, y 160..196.
        const QImage with =
            processor.process(source, settings, {}, {filledBox({0.02, 0.02}, {0.2, 0.2}, {0, 0, 0, 1})}, {});
        QVERIFY(differingPixels(without, with, QRect(10, 165, 25, 25)) > 500);
        QCOMPARE(differingPixels(without, with, QRect(50, 50, 100, 100)), 0);
    }

    void removalAreaErasesOnTheScreenshot()
    {
        // A blue dot at image pixels 48..51 of a red 100 x 100 image on a
        // canvas padded by 20: the area covers canvas 66..74 on both axes.
        QImage source = solidImage(100, 100, Qt::red);
        for (int y = 48; y < 52; ++y)
            for (int x = 48; x < 52; ++x)
                source.setPixel(x, y, qRgb(0, 0, 255));
        BeautySettings settings = onWhite(20);
        settings.shadowEnabled = false;
        const RemovalArea area{
            QUuid::createUuid(), {66 / 140.0, 66 / 140.0, 8 / 140.0, 8 / 140.0}, RemovalMethod::contentAware};
        ImageProcessor processor;
        QCOMPARE(processor.process(source, settings, {}, {}, {}).pixel(70, 70), qRgb(0, 0, 255));
        QCOMPARE(processor.process(source, settings, {}, {}, {area}).pixel(70, 70), qRgb(255, 0, 0));
    }

    void valuesOutOfRangeNeverBreakComposition_data()
    {
        // Settings also arrive from template files; none of these may crash
        // or hang, and each still gives an image.
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("composes"); // false: the source comes back unstyled
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("padding not a number") << 0 << nan << false;
        QTest::newRow("padding infinite") << 0 << inf << false;
        QTest::newRow("padding beyond any canvas") << 0 << 1e9 << false;
        QTest::newRow("padding negative past the image") << 0 << -80.0 << false;
        QTest::newRow("blur infinite") << 1 << inf << true;
        QTest::newRow("blur enormous") << 1 << 1e12 << true;
        QTest::newRow("blur not a number") << 1 << nan << true;
        QTest::newRow("offset not a number") << 2 << nan << true;
        QTest::newRow("offset enormous") << 2 << -1e300 << true;
        QTest::newRow("border infinite") << 3 << inf << true;
        QTest::newRow("border enormous") << 3 << 1e300 << true;
        QTest::newRow("radius not a number") << 4 << nan << true;
        QTest::newRow("radius negative") << 4 << -50.0 << true;
    }
    void valuesOutOfRangeNeverBreakComposition()
    {
        QFETCH(int, field);
        QFETCH(double, value);
        QFETCH(bool, composes);
        BeautySettings settings = onWhite(20);
        switch (field) {
        case 0:
            settings.padding = value;
            break;
        case 1:
            settings.shadowBlur = value;
            break;
        case 2:
            settings.shadowOffsetX = settings.shadowOffsetY = value;
            break;
        case 3:
            settings.borderWidth = value;
            break;
        case 4:
            settings.cornerRadius = value;
            break;
        }
        const QImage source = solidImage(60, 40, Qt::red);
        ImageProcessor processor;
        const QImage out = processor.process(source, settings, {}, {}, {});
        QVERIFY(!out.isNull());
        if (composes)
            QCOMPARE(out.size(), QSize(100, 80));
        else
            QCOMPARE(out.cacheKey(), source.cacheKey());
    }

    void frameIsPaddedAsAWhole()
    {
        const DeviceFrame* frame = nullptr;
        for (const DeviceFrame& candidate : deviceFrames())
            if (candidate.id != QLatin1String("none")) {
                frame = &candidate;
                break;
            }
        if (!frame)
            QSKIP("no device frame in the catalogue");
        const QImage source = solidImage(300, 500, Qt::red);
        BeautySettings settings = onWhite(30);
        settings.deviceFrameId = frame->id;
        ImageProcessor processor;
        const QImage framed = processor.frameRenderer.frameImage(source, *frame);
        const QImage out = processor.process(source, settings, {}, {}, {});
        QCOMPARE(out.size(), framed.size() + QSize(60, 60));
        settings.deviceFrameId = QStringLiteral("no-such-frame");
        QCOMPARE(processor.process(source, settings, {}, {}, {}).size(), QSize(360, 560));
    }
};

QTEST_MAIN(TestCompositionLayers)
#include "tst_composition_layers.moc"
