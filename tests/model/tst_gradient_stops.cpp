// A gradient's stops as the editor changes them: the colour between two, and
// adding, moving and removing within the limits of two to five.
#include "model/gradient_stops.h"
#include "record_printers.h"

#include <QTest>
#include <limits>

using namespace lustrelab;

namespace {
const CodableColor red{1, 0, 0, 1}, blue{0, 0, 1, 0};
}

class TestGradientStops : public QObject
{
    Q_OBJECT
  private slots:
    void colorBetweenStops_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<CodableColor>("expected");
        QTest::newRow("between, opacity too") << 0.5 << CodableColor{0.5, 0, 0.5, 0.5};
        QTest::newRow("before the first holds it") << 0.0 << red;
        QTest::newRow("after the last holds it") << 1.0 << blue;
    }
    void colorBetweenStops()
    {
        QFETCH(double, position);
        const QList<GradientStop> inward{{blue, 0.75}, {red, 0.25}}; // list order is not position order
        QTEST(colorAt(inward, position), "expected");
    }

    void countStaysWithinLimits()
    {
        QList<GradientStop> stops{{red, 0}, {blue, 1}};
        QVERIFY(!removeStop(stops, 0)); // two is the least
        QCOMPARE(stops.size(), 2);
        for (int i = 0; i < 3; ++i)
            QVERIFY(addStop(stops, 0.1 * (i + 1)));
        QCOMPARE(addStop(stops, 0.9), std::nullopt); // five is the most
        QCOMPARE(stops.size(), 5);
        QCOMPARE(stops[2].color, (CodableColor{0.9, 0, 0.1, 0.9})); // added at 0.1 in the colour shown there
        QVERIFY(removeStop(stops, 4));
        QVERIFY(!removeStop(stops, 9));
        QCOMPARE(stops.size(), 4);
    }

    void positionsAreClampedAndFound()
    {
        QList<GradientStop> stops{{red, 0.1}, {blue, 0.9}};
        moveStop(stops, 0, -3);
        moveStop(stops, 1, std::numeric_limits<double>::quiet_NaN()); // ignored
        QCOMPARE(stops[0].position, 0.0);
        QCOMPARE(stops[1].position, 0.9);
        QCOMPARE(*addStop(stops, 7), 2);
        QCOMPARE(stops[2].position, 1.0);
        QCOMPARE(stopNear(stops, 0.93, 0.05), std::optional<qsizetype>(1));
        QCOMPARE(stopNear(stops, 0.5, 0.05), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestGradientStops)
#include "tst_gradient_stops.moc"
