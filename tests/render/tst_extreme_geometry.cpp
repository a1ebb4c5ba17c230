// Geometry far beyond the canvas and blurs far beyond the image: the work
// stays bounded by the canvas and the arithmetic stays exact.

#include "render/annotation_painter.h"
#include "render/shadow_field.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>
#include <cmath>

using namespace lustrelab;
Q_DECLARE_METATYPE(ShapeType)
Q_DECLARE_METATYPE(UnitPoint)

namespace {

// Fraction of a 1-D box [from, to) under a Gaussian centred on c.
double boxUnderGaussian(double c, double from, double to, double sigma)
{
    const double k = 1 / (sigma * std::sqrt(2.0));
    return 0.5 * (std::erf((to - c) * k) - std::erf((from - c) * k));
}

// The mosaic for `rect` on a white image of `size`, shifted by `offset`, drawn
// with `visible` as the part that may show.
QImage mosaic(QSize size, QPointF offset, const QRectF& rect, const QRectF& visible)
{
    QImage image = solidImage(size.width(), size.height(), Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(offset);
    drawBlurPattern(painter, rect, visible);
    return image;
}

} // namespace

class TestExtremeGeometry : public QObject
{
    Q_OBJECT

  private slots:
    // Drawing only the visible cells gives the same pixels as drawing the whole
    // rectangle on a larger surface: the cells keep their place and colour.
    void mosaicCutToTheCanvasKeepsItsCells_data()
    {
        QTest::addColumn<QRectF>("rect"); // Qt coordinates of a 96 x 64 canvas
        QTest::newRow("past the left and bottom edges") << QRectF(-21, 30, 70, 50);
        QTest::newRow("past the top and right edges") << QRectF(50, -13.5, 60, 40);
        QTest::newRow("around the whole canvas, fractional corner") << QRectF(-37.25, -29.5, 180, 130);
        QTest::newRow("inside, fractional cells") << QRectF(10.5, 7.25, 33, 21);
    }
    void mosaicCutToTheCanvasKeepsItsCells()
    {
        QFETCH(QRectF, rect);
        const QSize canvas(96, 64);
        const QPointF margin(200, 200);
        const QImage cut = mosaic(canvas, {}, rect, QRectF(QPointF(0, 0), canvas));
        const QImage whole = mosaic(canvas + QSize(400, 400), margin, rect, rect.adjusted(-1, -1, 1, 1))
                                 .copy(QRect(margin.toPoint(), canvas));
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (!near(cut.pixelColor(x, y), whole.pixelColor(x, y), 1))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
    }

    // A hand-edited document may place a shape anywhere. Composition still
    // ends, with the canvas covered where the shape covers it and untouched
    // where it does not.
    void shapesFarOffTheCanvasStillCompose_data()
    {
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<bool>("coversCanvas");
        QTest::newRow("blur at x 1e15")
            << ShapeType::blur << UnitPoint(1e15, 0.2) << UnitPoint(1e15 + 1, 0.8) << false;
        QTest::newRow("blur from -1e15 to 1e15")
            << ShapeType::blur << UnitPoint(-1e15, -1e15) << UnitPoint(1e15, 1e15) << true;
        QTest::newRow("blur ten thousand canvases wide")
            << ShapeType::blur << UnitPoint(-5000, -5000) << UnitPoint(5000, 5000) << true;
        QTest::newRow("blur with an infinite corner")
            << ShapeType::blur << UnitPoint(-INFINITY, 0) << UnitPoint(1, 1) << false;
        QTest::newRow("highlight ten thousand canvases wide")
            << ShapeType::highlight << UnitPoint(-5000, -5000) << UnitPoint(5000, 5000) << true;
    }
    void shapesFarOffTheCanvasStillCompose()
    {
        QFETCH(ShapeType, type);
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        QFETCH(bool, coversCanvas);
        ShapeOverlay shape;
        shape.shapeType = type;
        shape.startPoint = start;
        shape.endPoint = end;
        const QImage source = solidImage(120, 80, Qt::black);
        const BeautySettings settings = plainSettings(0, Qt::blue);
        const QImage out = ImageProcessor().process(source, settings, {}, {shape}, {});
        QCOMPARE(out.size(), source.size());
        const QColor centre = out.pixelColor(60, 40);
        QCOMPARE(centre != QColor(Qt::black), coversCanvas);
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

QTEST_MAIN(TestExtremeGeometry)
#include "tst_extreme_geometry.moc"
