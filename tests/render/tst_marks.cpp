// The newer annotation kinds, drawn by the engine and probed against small
// reference computations: a pixelate cell is the mean of the pixels it covers
// (drawn ones included), a highlighter multiplies, a spotlight dims outside
// its outline and nowhere inside, a redact box is opaque, a step marker's
// number sits in the middle of its circle in the colour that reads better.

#include "record_printers.h"
#include "render/image_processor.h"
#include "render/step_marker_painter.h"
#include "render_probe.h"

#include <QTest>

using namespace lustrelab;

Q_DECLARE_METATYPE(lustrelab::SpotlightShape)

namespace {

QColor meanOf(const QImage& image, const QRect& pixels)
{
    qint64 r = 0, g = 0, b = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
    const qint64 n = qint64(pixels.width()) * pixels.height();
    return QColor(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
}

ShapeOverlay shape(ShapeType type, UnitPoint start, UnitPoint end)
{
    ShapeOverlay s = freshShape(type);
    s.startPoint = start;
    s.endPoint = end;
    return s;
}

QImage composeShapes(const QImage& source, const QList<ShapeOverlay>& shapes)
{
    return ImageProcessor().process(source, plainSettings(0), {}, shapes, {});
}

} // namespace

class TestMarks : public QObject
{
    Q_OBJECT

  private slots:
    // A 120 x 80 point canvas (the screenshot, no padding); the pixelate area
    // spans x 12..72 and y 8..64 points from the top, so its cells of 10 count
    // from its bottom-left corner (12, 64) and the top row is cut to 6 points.
    void pixelateCellIsTheMeanOfItsPixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRectF>("cell");      // points, Qt's y-down
        QTest::addColumn<bool>("redactFirst"); // a black box over part of the area, drawn before it
        QTest::newRow("bottom-left cell") << 1.0 << QRectF(12, 54, 10, 10) << false;
        QTest::newRow("cell cut at the top") << 1.0 << QRectF(32, 8, 10, 6) << false;
        QTest::newRow("cell cut at the right") << 1.0 << QRectF(62, 44, 10, 10) << false;
        QTest::newRow("at ratio 2 the cells are 20 pixels") << 2.0 << QRectF(22, 44, 10, 10) << false;
        QTest::newRow("a shape drawn before it is pixelated too") << 1.0 << QRectF(12, 54, 10, 10) << true;
    }
    void pixelateCellIsTheMeanOfItsPixels()
    {
        QFETCH(double, ratio);
        QFETCH(QRectF, cell);
        QFETCH(bool, redactFirst);
        const QImage source = patternImage(int(120 * ratio), int(80 * ratio), ratio);
        QList<ShapeOverlay> shapes;
        QImage reference = source.convertToFormat(QImage::Format_ARGB32);
        if (redactFirst) {
            // Black over x 0..17 and y 0..60 points: part of the first cell.
            shapes.append(shape(ShapeType::redact, {0, 0.25}, {17.0 / 120, 1}));
            QPainter painter(&reference);
            painter.fillRect(QRectF(0, 0, 17, 60), Qt::black);
        }
        ShapeOverlay pixelate = shape(ShapeType::pixelate, {0.1, 0.2}, {0.6, 0.9});
        pixelate.cellSize = 10;
        shapes.append(pixelate);
        const QImage out = composeShapes(source, shapes);
        QCOMPARE(out.size(), source.size());

        const QRect pixels(QPoint(int(cell.left() * ratio), int(cell.top() * ratio)),
                           QSize(int(cell.width() * ratio), int(cell.height() * ratio)));
        const QColor expected = meanOf(reference, pixels);
        for (const QPoint probe : {pixels.topLeft(), pixels.bottomRight(), pixels.center()})
            VERIFY_NEAR(out.pixelColor(probe), expected, 1);
        // Just outside the area the screenshot is untouched.
        const QPoint outside(int(11 * ratio), int(60 * ratio));
        QCOMPARE(out.pixelColor(outside), reference.pixelColor(outside));
    }

    void cropComposesOnlyTheKeptPixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void cropComposesOnlyTheKeptPixels()
    {
        QFETCH(double, ratio);
        // The middle half of the top half: x 30..90 and y 0..40 points from the top.
        const QImage source = patternImage(int(120 * ratio), int(80 * ratio), ratio);
        const QImage out = ImageProcessor().process(source, plainSettings(0), {}, {}, {}, {}, {},
                                                    UnitRect{0.25, 0.5, 0.5, 0.5});
        QCOMPARE(out.size(), QSize(int(60 * ratio), int(40 * ratio)));
        QCOMPARE(out.pixel(0, 0), source.pixel(int(30 * ratio), 0));
        QCOMPARE(out.pixel(out.width() - 1, out.height() - 1),
                 source.pixel(int(90 * ratio) - 1, int(40 * ratio) - 1));
        QCOMPARE(source.size(), QSize(int(120 * ratio), int(80 * ratio))); // the source stays whole
    }

    void highlighterMultiplies_data()
    {
        QTest::addColumn<QColor>("below");
        QTest::addColumn<double>("opacity");
        const QColor paper(200, 150, 100);
        QTest::newRow("light paper, opaque") << paper << 1.0;
        QTest::newRow("light paper, half") << paper << 0.5;
        QTest::newRow("black text stays black") << QColor(Qt::black) << 0.5;
        QTest::newRow("white turns to the ink") << QColor(Qt::white) << 0.8;
    }
    void highlighterMultiplies()
    {
        QFETCH(QColor, below);
        QFETCH(double, opacity);
        PenStroke stroke = freshPenStroke(true);
        stroke.points = {{0.1, 0.5}, {0.9, 0.5}};
        stroke.color = {1, 0.5, 0.25, 1};
        stroke.width = 20;
        stroke.opacity = opacity;
        const QImage out =
            ImageProcessor().process(solidImage(100, 60, below), plainSettings(0), {}, {}, {}, {}, {stroke});
        // Multiplying at opacity a: below x (1 - a + a x ink), per channel.
        auto channel = [&](int value, double ink) { return qRound(value * (1 - opacity + opacity * ink)); };
        const QColor expected(channel(below.red(), 1), channel(below.green(), 0.5),
                              channel(below.blue(), 0.25));
        VERIFY_NEAR(out.pixelColor(50, 30), expected, 2);
        QCOMPARE(out.pixelColor(50, 5), below); // beside the stroke
    }

    void spotlightDimsOutsideOnly_data()
    {
        QTest::addColumn<SpotlightShape>("outline");
        QTest::newRow("rectangle") << SpotlightShape::rectangle;
        QTest::newRow("ellipse") << SpotlightShape::ellipse;
    }
    void spotlightDimsOutsideOnly()
    {
        QFETCH(SpotlightShape, outline);
        const QColor grey(200, 200, 200);
        ShapeOverlay spotlight = shape(ShapeType::spotlight, {0.25, 0.25}, {0.75, 0.75});
        spotlight.spotlightShape = outline;
        QCOMPARE(spotlight.opacity, 0.6); // the editor's dimming
        const QImage out = composeShapes(solidImage(200, 100, grey), {spotlight});
        const QColor dimmed(80, 80, 80); // black at 0.6 over 200
        VERIFY_NEAR(out.pixelColor(10, 10), dimmed, 1);
        VERIFY_NEAR(out.pixelColor(190, 90), dimmed, 1);
        // Inside the outline (a pixel in from its antialiased edge) nothing changes at all.
        const QRectF bright(50, 25, 100, 50);
        for (int y = 26; y < 74; ++y)
            for (int x = 51; x < 149; ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const QPointF d = centre - bright.center();
                const bool inside = outline == SpotlightShape::rectangle ||
                                    std::pow(d.x() / 49, 2) + std::pow(d.y() / 24, 2) <= 1;
                if (inside && out.pixelColor(x, y) != grey)
                    QFAIL(qPrintable(QStringLiteral("dimmed inside at %1, %2").arg(x).arg(y)));
            }
        // The rectangle's corner lies outside the ellipse.
        VERIFY_NEAR(out.pixelColor(53, 27), outline == SpotlightShape::ellipse ? dimmed : grey, 1);
    }

    void redactIsOpaqueWhateverItsOpacity()
    {
        ShapeOverlay redact = shape(ShapeType::redact, {0.2, 0.2}, {0.8, 0.8});
        redact.opacity = 0.3;
        redact.fillColor = CodableColor{0, 0, 1, 0.2};
        const QImage out = composeShapes(patternImage(100, 100), {redact});
        QCOMPARE(out.pixelColor(50, 50), QColor(Qt::blue));
        QCOMPARE(out.pixelColor(25, 75), QColor(Qt::blue));
    }

    void numberColourFollowsTheFill_data()
    {
        QTest::addColumn<QColor>("fill");
        QTest::addColumn<QColor>("number");
        QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("yellow") << QColor(255, 214, 10) << QColor(Qt::black);
        QTest::newRow("light green") << QColor(120, 220, 120) << QColor(Qt::black);
        QTest::newRow("the default red") << QColor::fromRgbF(0.8f, 0.1f, 0.1f) << QColor(Qt::white);
        QTest::newRow("navy") << QColor(28, 63, 170) << QColor(Qt::white);
        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
    }
    void numberColourFollowsTheFill()
    {
        QFETCH(QColor, fill);
        QFETCH(QColor, number);
        StepMarker marker;
        marker.color = CodableColor::fromPlatformColor(fill);
        marker.position = {0.5, 0.5};
        marker.size = 60;
        marker.number = 4;
        QCOMPARE(markerNumberColor(marker.color), number);
        // The number is drawn in it, and its glyphs sit in the circle's middle.
        const QImage out = ImageProcessor().process(solidImage(100, 100, QColor(128, 0, 128)),
                                                    plainSettings(0), {}, {}, {}, {marker}, {});
        QRect glyphs;
        for (int y = 25; y < 75; ++y)
            for (int x = 25; x < 75; ++x)
                if (near(out.pixelColor(x, y), number, 8))
                    glyphs |= QRect(x, y, 1, 1);
        QVERIFY(glyphs.height() > 20); // legible: about half the diameter
        const QPointF centre = QRectF(glyphs).center();
        QVERIFY2(std::abs(centre.x() - 50) <= 1.5 && std::abs(centre.y() - 50) <= 1.5,
                 qPrintable(QStringLiteral("glyphs centred at %1, %2").arg(centre.x()).arg(centre.y())));
        VERIFY_NEAR(out.pixelColor(50, 24), fill, 2); // the circle's rim
    }

    void markerTailPointsAtItsEnd()
    {
        StepMarker marker;
        // On the middle of pixel row 50.
        marker.position = {0.25, 0.495};
        marker.size = 20;
        marker.tailPoint = UnitPoint{0.75, 0.495};
        marker.color = {0, 0, 0, 1};
        const QImage out = ImageProcessor().process(solidImage(200, 100, Qt::white), plainSettings(0), {}, {},
                                                    {}, {marker}, {});
        // The wedge narrows from the circle to the tip at x = 150.
        QCOMPARE(out.pixelColor(100, 50), QColor(Qt::black));
        QCOMPARE(out.pixelColor(120, 50), QColor(Qt::black));
        QCOMPARE(out.pixelColor(153, 50), QColor(Qt::white));
        QCOMPARE(out.pixelColor(100, 56), QColor(Qt::white)); // narrower than the circle by now
    }
};

QTEST_MAIN(TestMarks)
#include "tst_marks.moc"
