// A border inside rounded corners: its outer edge follows the corner radius
// and its inner edge the radius less the border width, both about the same
// centre. Probed on the corner's diagonal, where the arcs cross it.

#include "render_probe.h"

#include <QTest>
#include <cmath>

using namespace lustrelab;

namespace {

// Where an arc of radius `r` centred at (c, c) crosses the diagonal x = y
// near the origin corner.
double diagonalCrossing(double c, double r)
{
    return c - r / std::sqrt(2.0);
}

} // namespace

class TestCornerBorder : public QObject
{
    Q_OBJECT

  private slots:
    void edgesOfTheBorderAtTheCorner_data()
    {
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("border");
        QTest::addColumn<double>("ratio");
        QTest::newRow("radius 80, border 32") << 80.0 << 32.0 << 1.0;
        QTest::newRow("radius 60, border 20") << 60.0 << 20.0 << 1.0;
        QTest::newRow("radius 40, border 16 at ratio 2") << 40.0 << 16.0 << 2.0;
    }
    void edgesOfTheBorderAtTheCorner()
    {
        QFETCH(double, radius);
        QFETCH(double, border);
        QFETCH(double, ratio);
        const double padding = 20;
        BeautySettings settings = plainSettings(padding, Qt::blue);
        settings.cornerRadius = radius;
        settings.borderWidth = border;
        settings.borderColor = {1, 0, 0, 1};
        const QImage out =
            compose(solidImage(int(300 * ratio), int(200 * ratio), Qt::green, ratio), settings);

        // The border's outer edge: radius R about (R, R). Its inner edge:
        // radius R - b about the same centre. A radius measured from another
        // centre or shrunk by another amount moves each crossing by at least
        // the border's share of a few points; each probe sits halfway to it.
        const double outer = diagonalCrossing(radius, radius);
        const double inner = diagonalCrossing(radius, radius - border);
        const double shiftedOuter = diagonalCrossing(radius - border / 2, radius - border / 2);
        const double shiftedInner = diagonalCrossing(radius - border / 2, radius - 1.5 * border);
        struct Probe
        {
            double along; // points along the diagonal from the image's corner
            QColor expected;
        };
        for (const Probe& probe :
             {Probe{(outer + shiftedOuter) / 2, Qt::blue}, Probe{(outer + inner) / 2, Qt::red},
              Probe{(inner + shiftedInner) / 2, Qt::red}, Probe{inner + 4, Qt::green}}) {
            const int pixel = int(std::floor((padding + probe.along) * ratio));
            const QColor found = out.pixelColor(pixel, pixel);
            QVERIFY2(near(found, probe.expected, 8),
                     qPrintable(QStringLiteral("%1 points in: %2").arg(probe.along).arg(found.name())));
        }
    }
};

QTEST_MAIN(TestCornerBorder)
#include "tst_corner_border.moc"
