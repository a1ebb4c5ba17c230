// A pointer's path simplified within its tolerance and budget: every input
// point stays within the tolerance of what is kept, and what is kept are
// input points in their order.
#include "model/polyline_simplification.h"

#include <QTest>
#include <cmath>
#include <numbers>

using namespace lustrelab;

namespace {

// Loops of varying size drifting right: 2 s at 120 Hz, at integer positions
// as a mouse reports them.
QList<QPointF> scribble()
{
    QList<QPointF> points;
    for (int i = 0; i < 240; ++i) {
        const double t = i / 120.0;
        const double radius = 40 + 25 * std::sin(3 * t);
        points.append({std::round(100 + 120 * t + radius * std::cos(2 * std::numbers::pi * 1.5 * t)),
                       std::round(200 + radius * std::sin(2 * std::numbers::pi * 1.5 * t))});
    }
    return points;
}

} // namespace

class TestPolylineSimplification : public QObject
{
    Q_OBJECT
  private slots:
    void keptPathStaysWithinTolerance_data()
    {
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("atMost"); // points kept
        QList<QPointF> line, zigzag;
        for (int i = 0; i < 100; ++i)
            line.append({i * 3.0, i * 1.5});
        for (int i = 0; i < 50; ++i)
            zigzag.append({i * 4.0, i % 2 ? 10.0 : 0.0});
        QTest::newRow("a straight line keeps its two ends") << line << 0.4 << 2;
        QTest::newRow("a 2 s scribble at 120 Hz") << scribble() << 0.4 << 200;
        QTest::newRow("a zigzag keeps every corner") << zigzag << 0.4 << 50;
        QTest::newRow("a pointer held still") << QList<QPointF>(30, QPointF(5, 5)) << 0.4 << 2;
        // Too short to simplify: kept as they are.
        QTest::newRow("two points") << QList<QPointF>{{0, 0}, {0.1, 0.1}} << 5.0 << 2;
        QTest::newRow("one point") << QList<QPointF>{{3, 4}} << 5.0 << 1;
        QTest::newRow("no points") << QList<QPointF>() << 5.0 << 0;
    }
    void keptPathStaysWithinTolerance()
    {
        QFETCH(QList<QPointF>, path);
        QFETCH(double, tolerance);
        QFETCH(int, atMost);
        const QList<QPointF> kept = simplifyPolyline(path, tolerance);
        QVERIFY2(kept.size() <= atMost, qPrintable(QString::number(kept.size())));
        QCOMPARE(kept.value(0), path.value(0));
        QCOMPARE(kept.value(kept.size() - 1), path.value(path.size() - 1));
        for (const QPointF& p : path)
            QVERIFY(distanceToPolyline(p, kept) <= tolerance + 1e-9);
        qsizetype from = 0;
        for (const QPointF& p : kept) {
            from = path.indexOf(p, from);
            QVERIFY(from >= 0);
        }
    }

    void distanceToThePolyline_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("distance");
        QTest::newRow("above a segment") << QPointF(5, 3) << 3.0;
        QTest::newRow("beyond the end") << QPointF(13, 14) << 5.0;
        QTest::newRow("on the corner") << QPointF(10, 0) << 0.0;
    }
    void distanceToThePolyline()
    {
        QFETCH(QPointF, point);
        QTEST(distanceToPolyline(point, {{0, 0}, {10, 0}, {10, 10}}), "distance");
    }
};

QTEST_GUILESS_MAIN(TestPolylineSimplification)
#include "tst_polyline_simplification.moc"
