#include "render/annotation_painter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTest>

using namespace lustrelab;

namespace {

const CodableColor kRed{1, 0, 0, 1};
const CodableColor kBlue{0, 0, 1, 1};

QImage whiteCanvas(int width, int height, double ratio = 1.0)
{
    QImage image(int(width * ratio), int(height * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

QImage drawn(const ShapeOverlay& shape, int width = 200, int height = 100)
{
    QImage canvas = whiteCanvas(width, height);
    QPainter painter(&canvas);
    drawShape(shape, painter, width, height);
    return canvas;
}

QImage drawn(const TextOverlay& text, int width, int height, double ratio = 1.0)
{
    QImage canvas = whiteCanvas(width, height, ratio);
    QPainter painter(&canvas);
    drawText(text, painter, width, height);
    return canvas;
}

ShapeOverlay shapeOf(ShapeType type, UnitPoint start = {0.1, 0.2}, UnitPoint end = {0.6, 0.8})
{
    ShapeOverlay shape;
    shape.shapeType = type;
    shape.startPoint = start;
    shape.endPoint = end;
    shape.strokeColor = kRed;
    shape.strokeWidth = 4;
    return shape;
}

bool near(const QColor& a, const QColor& b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

bool isInk(QRgb pixel)
{
    return qRed(pixel) < 195 || qGreen(pixel) < 195 || qBlue(pixel) < 195;
}

// Bounding box, in pixels, of everything that is clearly not white.
QRect inkBounds(const QImage& image, bool (*ink)(QRgb) = isInk)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A strongly red pixel within one pixel of the point (antialiased thin strokes).
bool redNear(const QImage& image, QPointF point)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QRgb p = image.pixel(int(point.x()) + dx, int(point.y()) + dy);
            if (qRed(p) > 200 && qGreen(p) < 110)
                return true;
        }
    return false;
}

} // namespace

class TestAnnotations : public QObject
{
    Q_OBJECT
  private slots:
    void shapeProbes_data()
    {
        QTest::addColumn<ShapeOverlay>("shape");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QColor>("expected");
        // On the 200 x 100 canvas the default corners give the Qt rectangle
        // x 20..120, y 20..80.
        const QColor white(Qt::white), red(Qt::red), blue(Qt::blue);
        ShapeOverlay filledRect = shapeOf(ShapeType::rectangle);
        filledRect.fillColor = kBlue;
        ShapeOverlay halfRect = shapeOf(ShapeType::rectangle);
        halfRect.opacity = 0.5;
        ShapeOverlay filledRounded = shapeOf(ShapeType::roundedRectangle);
        filledRounded.fillColor = kBlue;
        ShapeOverlay filledEllipse = shapeOf(ShapeType::ellipse);
        filledEllipse.fillColor = kBlue;
        ShapeOverlay halfHighlight = shapeOf(ShapeType::highlight);
        halfHighlight.opacity = 0.5;
        ShapeOverlay noStroke = shapeOf(ShapeType::rectangle);
        noStroke.strokeWidth = 0;

        QTest::newRow("rectangle edge") << shapeOf(ShapeType::rectangle) << QPointF(19, 50) << red;
        QTest::newRow("rectangle corner stays square")
            << shapeOf(ShapeType::rectangle) << QPointF(18, 18) << red;
        QTest::newRow("rectangle without fill") << shapeOf(ShapeType::rectangle) << QPointF(70, 50) << white;
        QTest::newRow("rectangle with fill") << filledRect << QPointF(70, 50) << blue;
        QTest::newRow("corners in either order")
            << shapeOf(ShapeType::rectangle, {0.6, 0.8}, {0.1, 0.2}) << QPointF(119, 79) << red;
        QTest::newRow("opacity dims the stroke") << halfRect << QPointF(19, 50) << QColor(255, 128, 128);
        QTest::newRow("zero width draws no outline") << noStroke << QPointF(19, 50) << white;
        // Radius min(100, 60) x 0.15 = 9: the corner pixel lies outside the stroke.
        QTest::newRow("rounded corner is cut")
            << shapeOf(ShapeType::roundedRectangle) << QPointF(19, 19) << white;
        QTest::newRow("rounded edge") << shapeOf(ShapeType::roundedRectangle) << QPointF(20, 50) << red;
        QTest::newRow("rounded fill") << filledRounded << QPointF(70, 50) << blue;
        QTest::newRow("ellipse fill") << filledEllipse << QPointF(70, 50) << blue;
        QTest::newRow("ellipse leaves the corner") << filledEllipse << QPointF(24, 24) << white;
        QTest::newRow("ellipse leftmost point") << shapeOf(ShapeType::ellipse) << QPointF(19, 50) << red;
        QTest::newRow("line") << shapeOf(ShapeType::line, {0.1, 0.5}, {0.9, 0.5}) << QPointF(100, 49) << red;
        QTest::newRow("line is thin")
            << shapeOf(ShapeType::line, {0.1, 0.5}, {0.9, 0.5}) << QPointF(100, 45) << white;
        QTest::newRow("line ends flat")
            << shapeOf(ShapeType::line, {0.1, 0.5}, {0.9, 0.5}) << QPointF(180.5, 50) << white;
        // Yellow at 0.4 over white leaves blue at 0.6; at opacity 0.5, 0.8.
        QTest::newRow("highlight") << shapeOf(ShapeType::highlight) << QPointF(70, 50)
                                   << QColor(255, 255, 153);
        QTest::newRow("highlight ignores stroke")
            << shapeOf(ShapeType::highlight) << QPointF(20, 50) << QColor(255, 255, 153);
        QTest::newRow("highlight has no outline")
            << shapeOf(ShapeType::highlight) << QPointF(19, 50) << white;
        QTest::newRow("highlight at half opacity")
            << halfHighlight << QPointF(70, 50) << QColor(255, 255, 204);
    }
    void shapeProbes()
    {
        QFETCH(ShapeOverlay, shape);
        QFETCH(QPointF, point);
        QFETCH(QColor, expected);
        const QColor actual = drawn(shape).pixelColor(point.toPoint());
        if (!near(actual, expected))
            qWarning() << "got" << actual << "expected" << expected;
        QVERIFY(near(actual, expected));
    }

    void blurCells_data()
    {
        QTest::addColumn<double>("opacity");
        QTest::addColumn<QRect>("cell");   // Qt pixels
        QTest::addColumn<double>("level"); // expected grey over white
        // A 20 x 12 rectangle at Qt (20, 68): cells counted from its bottom-left,
        // the top row and the right column cut short.
        const double light = 0.7 * 0.9 + 0.1, dark = 0.5 * 0.9 + 0.1;
        QTest::newRow("first cell light") << 1.0 << QRect(20, 72, 8, 8) << light;
        QTest::newRow("second cell dark") << 1.0 << QRect(28, 72, 8, 8) << dark;
        QTest::newRow("cut column") << 1.0 << QRect(36, 72, 4, 8) << light;
        QTest::newRow("cut row") << 1.0 << QRect(20, 68, 8, 4) << dark;
        QTest::newRow("cut corner") << 1.0 << QRect(36, 68, 4, 4) << dark;
        QTest::newRow("outside right") << 1.0 << QRect(40, 68, 3, 12) << 1.0;
        QTest::newRow("outside above") << 1.0 << QRect(20, 65, 20, 3) << 1.0;
        QTest::newRow("half opacity light") << 0.5 << QRect(20, 72, 8, 8) << 0.7 * 0.45 + 0.55;
        QTest::newRow("half opacity dark") << 0.5 << QRect(28, 72, 8, 8) << 0.5 * 0.45 + 0.55;
    }
    void blurCells()
    {
        QFETCH(double, opacity);
        QFETCH(QRect, cell);
        QFETCH(double, level);
        ShapeOverlay blur = shapeOf(ShapeType::blur, {0.1, 0.2}, {0.2, 0.32});
        blur.opacity = opacity;
        blur.fillColor = kBlue; // ignored
        const QImage canvas = drawn(blur);
        const int expected = int(level * 255 + 0.5);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QRgb p = canvas.pixel(x, y);
                QVERIFY2(std::abs(qRed(p) - expected) <= 1 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p),
                         qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(qRed(p))));
            }
    }

    void arrowHeads_data()
    {
        QTest::addColumn<ArrowStyle>("style");
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<QPointF>("probe"); // Qt point on a barb, if drawn
        QTest::addColumn<bool>("drawn");
        // Stroke 2: heads are 19 long at 30 degrees, so a barb's midpoint lies
        // 8.23 back along the shaft and 4.75 to the side.
        const UnitPoint left{0.2, 0.5}, right{0.8, 0.5}; // Qt (40, 50) to (160, 50)
        QTest::newRow("single: head at the end")
            << ArrowStyle::single << left << right << QPointF(151.8, 45.3) << true;
        QTest::newRow("single: other barb")
            << ArrowStyle::single << left << right << QPointF(151.8, 54.7) << true;
        QTest::newRow("single: no head at the start")
            << ArrowStyle::single << left << right << QPointF(48.2, 45.3) << false;
        QTest::newRow("double: head at the end")
            << ArrowStyle::double_ << left << right << QPointF(151.8, 45.3) << true;
        QTest::newRow("double: head at the start points away")
            << ArrowStyle::double_ << left << right << QPointF(48.2, 54.7) << true;
        QTest::newRow("double: start head not reversed")
            << ArrowStyle::double_ << left << right << QPointF(31.8, 45.3) << false;
        QTest::newRow("none: no head at the end")
            << ArrowStyle::none << left << right << QPointF(151.8, 45.3) << false;
        // Upwards on the finished image: Qt from (100, 80) to (100, 20).
        QTest::newRow("upwards: head at the top") << ArrowStyle::single << UnitPoint{0.5, 0.2}
                                                  << UnitPoint{0.5, 0.8} << QPointF(95.3, 28.2) << true;
        QTest::newRow("upwards: none at the bottom") << ArrowStyle::single << UnitPoint{0.5, 0.2}
                                                     << UnitPoint{0.5, 0.8} << QPointF(95.3, 71.8) << false;
        // Zero length: angle 0, barbs trail to the left.
        QTest::newRow("zero length points right") << ArrowStyle::single << UnitPoint{0.5, 0.5}
                                                  << UnitPoint{0.5, 0.5} << QPointF(91.8, 45.3) << true;
        QTest::newRow("zero length has nothing right")
            << ArrowStyle::single << UnitPoint{0.5, 0.5} << UnitPoint{0.5, 0.5} << QPointF(108.2, 45.3)
            << false;
    }
    void arrowHeads()
    {
        QFETCH(ArrowStyle, style);
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        QFETCH(QPointF, probe);
        QFETCH(bool, drawn);
        ShapeOverlay arrow = shapeOf(ShapeType::arrow, start, end);
        arrow.arrowStyle = style;
        arrow.strokeWidth = 2;
        QCOMPARE(redNear(::drawn(arrow), probe), drawn);
    }

    void redaction_data()
    {
        QTest::addColumn<bool>("withBackground");
        QTest::newRow("redacted") << false;
        QTest::newRow("redacted over a background") << true;
    }
    void redaction()
    {
        QFETCH(bool, withBackground);
        TextOverlay text;
        text.text = QStringLiteral("Secret\nname");
        text.position = {0.5, 0.5};
        text.fontName = QStringLiteral("DejaVu Sans");
        text.textColor = kRed;
        text.isRedacted = true;
        if (withBackground)
            text.backgroundColor = kBlue;
        const QImage canvas = drawn(text, 300, 200);
        const QRect black =
            inkBounds(canvas, [](QRgb p) { return qRed(p) < 30 && qGreen(p) < 30 && qBlue(p) < 30; });
        QVERIFY(black.width() > 40 && black.height() > 60); // two lines of 32-point text
        // Solid black inside (edges may be antialiased), no glyph colour anywhere.
        for (int y = black.top() + 1; y < black.bottom(); ++y)
            for (int x = black.left() + 1; x < black.right(); ++x)
                QCOMPARE(canvas.pixel(x, y), qRgb(0, 0, 0));
        QVERIFY(inkBounds(canvas, [](QRgb p) { return qRed(p) > 100 && qGreen(p) < 100; }).isNull());
        const QRect all = inkBounds(canvas);
        if (!withBackground) {
            QVERIFY(std::abs(all.width() - black.width()) <= 2);
            return;
        }
        // The background box is 4 points wider on each side and 2 taller.
        QVERIFY(std::abs((all.width() - black.width()) - 8) <= 2);
        QVERIFY(std::abs((all.height() - black.height()) - 4) <= 2);
        QCOMPARE(canvas.pixel(all.left() + 1, all.center().y()), qRgb(0, 0, 255));
    }

    void rotation_data()
    {
        QTest::addColumn<double>("rotation");
        QTest::addColumn<bool>("tall");
        QTest::addColumn<int>("heavierHalf"); // -1 upper or left, +1 lower or right
        QTest::newRow("level reads left to right") << 0.0 << false << -1;
        QTest::newRow("90 reads bottom to top") << 90.0 << true << +1;
        QTest::newRow("-90 reads top to bottom") << -90.0 << true << -1;
    }
    void rotation()
    {
        QFETCH(double, rotation);
        QFETCH(bool, tall);
        QFETCH(int, heavierHalf);
        TextOverlay text;
        text.text = QStringLiteral("WWWWW.....");
        text.position = {0.5, 0.5};
        text.fontName = QStringLiteral("DejaVu Sans");
        text.fontSize = 24;
        text.textColor = {0, 0, 0, 1};
        text.rotation = rotation;
        const QImage canvas = drawn(text, 300, 300);
        const QRect ink = inkBounds(canvas);
        QCOMPARE(ink.height() > ink.width(), tall);
        // The heavy "W"s mark where the text begins.
        int first = 0, second = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (isInk(canvas.pixel(x, y)))
                    ++((tall ? y : x) < 150 ? first : second);
        QCOMPARE(first > second ? -1 : +1, heavierHalf);
        // Turned about its own centre.
        QVERIFY(std::abs(ink.center().x() - 150) < 20 && std::abs(ink.center().y() - 150) < 20);
    }

    void sizeIsInCanvasPoints_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void sizeIsInCanvasPoints()
    {
        QFETCH(double, ratio);
        TextOverlay text;
        text.text = QStringLiteral("H");
        text.position = {0.5, 0.5};
        text.fontName = QStringLiteral("DejaVu Sans");
        text.fontSize = 40;
        text.textColor = {0, 0, 0, 1};
        const QImage canvas = drawn(text, 200, 100, ratio);
        // DejaVu's capitals are 0.73 em tall: 29 points at size 40 (not 39, as a
        // size read at 96 dots per inch would give).
        const double capHeight = inkBounds(canvas).height() / ratio;
        QVERIFY2(capHeight > 27 && capHeight < 32, qPrintable(QString::number(capHeight)));
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FontWeight>("weight");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("qtWeight");
        const QString system = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        QTest::newRow("installed family")
            << "DejaVu Serif" << FontWeight::bold << "DejaVu Serif" << int(QFont::Bold);
        QTest::newRow("installed, light")
            << "DejaVu Sans" << FontWeight::ultraLight << "DejaVu Sans" << int(QFont::Thin);
        QTest::newRow("unknown family")
            << "No Such Family 7" << FontWeight::light << system << int(QFont::Light);
        QTest::newRow("no name") << "" << FontWeight::black << system << int(QFont::Black);
        QTest::newRow("semibold") << "No Such Family 7" << FontWeight::semibold << system
                                  << int(QFont::DemiBold);
    }
    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(FontWeight, weight);
        QFETCH(QString, family);
        QFETCH(int, qtWeight);
        const QFont font = annotationFont(name, weight);
        QCOMPARE(font.family(), family);
        QCOMPARE(int(font.weight()), qtWeight);
    }

    void painterStateIsRestored()
    {
        QImage canvas = whiteCanvas(100, 100);
        QPainter painter(&canvas);
        const QPen pen(Qt::green, 7);
        painter.setPen(pen);
        ShapeOverlay shape = shapeOf(ShapeType::arrow);
        shape.opacity = 0.3;
        drawShape(shape, painter, 100, 100);
        TextOverlay text;
        text.text = QStringLiteral("turned");
        text.rotation = 30;
        text.opacity = 0.3;
        drawText(text, painter, 100, 100);
        QCOMPARE(painter.opacity(), 1.0);
        QCOMPARE(painter.pen(), pen);
        QVERIFY(painter.transform().isIdentity());
    }
};

QTEST_MAIN(TestAnnotations)
#include "tst_annotations.moc"
