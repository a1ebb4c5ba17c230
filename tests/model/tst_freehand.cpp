// Simplifying a pointer's path: what is kept stays within the tolerance of
// everything that was drawn, straight runs collapse to their ends, and a
// two-second scribble at 120 Hz fits the budget of about 200 points.

#include "model/polyline_simplification.h"

#include <QTest>
#include <cmath>
#include <numbers>

using namespace lustrelab;

namespace {

// Integer positions, as a mouse reports them.
QList<QPointF> quantised(const QList<QPointF>& points)
{
    QList<QPointF> out;
    for (const QPointF& p : points)
        out.append(QPointF(std::round(p.x()), std::round(p.y())));
    return out;
}

// Loops of varying size drifting right: 2 s at 120 Hz.
QList<QPointF> scribble()
{
    QList<QPointF> points;
    for (int i = 0; i < 240; ++i) {
        const double t = i / 120.0;
        const double radius = 40 + 25 * std::sin(3 * t);
        points.append({100 + 120 * t + radius * std::cos(2 * std::numbers::pi * 1.5 * t),
                       200 + radius * std::sin(2 * std::numbers::pi * 1.5 * t)});
    }
    return quantised(points);
}

} // namespace

class TestFreehand : public QObject
{
    Q_OBJECT

  private slots:
    void keptPathStaysWithinTolerance_data()
    {
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("atMost"); // points kept
        QList<QPointF> line;
        for (int i = 0; i < 100; ++i)
            line.append({i * 3.0, i * 1.5});
        QTest::newRow("a straight line keeps its two ends") << line << 0.4 << 2;
        QTest::newRow("a 2 s scribble at 120 Hz") << scribble() << 0.4 << 200;
        QList<QPointF> zigzag;
        for (int i = 0; i < 50; ++i)
            zigzag.append({i * 4.0, i % 2 ? 10.0 : 0.0});
        QTest::newRow("a zigzag keeps every corner") << zigzag << 0.4 << 50;
        QList<QPointF> still(30, QPointF(5, 5));
        QTest::newRow("a pointer held still") << still << 0.4 << 2;
    }
    void keptPathStaysWithinTolerance()
    {
        QFETCH(QList<QPointF>, path);
        QFETCH(double, tolerance);
        QFETCH(int, atMost);
        const QList<QPointF> kept = simplifyPolyline(path, tolerance);
        QVERIFY2(kept.size() <= atMost, qPrintable(QString::number(kept.size())));
        QCOMPARE(kept.first(), path.first());
        QCOMPARE(kept.last(), path.last());
        for (const QPointF& p : path)
            QVERIFY(lustrelab::distanceToPolyline(p, kept) <= tolerance + 1e-9);
        // Kept points are input points, in their order.
        qsizetype from = 0;
        for (const QPointF& p : kept) {
            from = path.indexOf(p, from);
            QVERIFY(from >= 0);
        }
    }

    void shortPathsStayAsTheyAre()
    {
        const QList<QPointF> two{{0, 0}, {0.1, 0.1}};
        QCOMPARE(simplifyPolyline(two, 5), two);
        QCOMPARE(simplifyPolyline({{3, 4}}, 5), QList<QPointF>{QPointF(3, 4)});
        QVERIFY(simplifyPolyline({}, 5).isEmpty());
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
        QTEST(lustrelab::distanceToPolyline(point, {{0, 0}, {10, 0}, {10, 10}}), "distance");
    }
};

QTEST_GUILESS_MAIN(TestFreehand)
#include "tst_freehand.moc"
