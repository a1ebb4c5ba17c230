// Rows split into bands, as every parallel pass splits them: each row in
// exactly one band, in order, sizes as even as the unit allows; and work run
// on the pool reaches every part once, also from inside a pool job.
#include "base/row_bands.h"

#include <QTest>
#include <atomic>

using namespace lustrelab;

Q_DECLARE_METATYPE(std::vector<RowBand>)

class TestRowBands : public QObject
{
    Q_OBJECT

  private slots:
    void split_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("unit");
        QTest::addColumn<std::vector<RowBand>>("bands");
        QTest::newRow("even") << 8 << 4 << 1 << std::vector<RowBand>{{0, 2}, {2, 4}, {4, 6}, {6, 8}};
        QTest::newRow("uneven: the larger bands last") << 10 << 4 << 1
                                                       << std::vector<RowBand>{{0, 2}, {2, 5}, {5, 7}, {7, 10}};
        QTest::newRow("one band") << 5 << 1 << 1 << std::vector<RowBand>{{0, 5}};
        // JPEG stripes: whole rows of 16-pixel blocks, the last one cut short.
        QTest::newRow("rows of blocks") << 50 << 2 << 16 << std::vector<RowBand>{{0, 32}, {32, 50}};
        QTest::newRow("fewer blocks than bands")
            << 20 << 3 << 16 << std::vector<RowBand>{{0, 0}, {0, 16}, {16, 20}};
        QTest::newRow("no rows") << 0 << 3 << 1 << std::vector<RowBand>{};
        // rows * band would overflow an int.
        QTest::newRow("tall") << 2000000000 << 2 << 1
                              << std::vector<RowBand>{{0, 1000000000}, {1000000000, 2000000000}};
    }
    void split()
    {
        QFETCH(int, rows);
        QFETCH(int, count);
        QFETCH(int, unit);
        QFETCH(std::vector<RowBand>, bands);
        QVERIFY(splitRows(rows, count, unit) == bands);
    }

    void bandCount_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("minRows");
        QTest::addColumn<int>("most");
        QTest::addColumn<int>("count");
        QTest::newRow("one per core") << 1000 << 64 << 4 << 4;
        QTest::newRow("none under the least rows") << 200 << 64 << 8 << 3;
        QTest::newRow("fewer rows than the least: one") << 10 << 64 << 8 << 1;
        QTest::newRow("no rows: still one") << 0 << 64 << 8 << 1;
    }
    void bandCount()
    {
        QFETCH(int, rows);
        QFETCH(int, minRows);
        QFETCH(int, most);
        QTEST(bandCountFor(rows, minRows, most), "count");
    }

    // Each part once, whether the pool is free or every thread of it is
    // already running parts of an outer job.
    void everyPartRunsOnce()
    {
        constexpr int outer = 16, inner = 8;
        std::vector<std::atomic<int>> runs(outer * inner);
        runOnPool(outer, [&](int i) { runOnPool(inner, [&](int j) { ++runs[size_t(i * inner + j)]; }); });
        for (const std::atomic<int>& n : runs)
            QCOMPARE(n.load(), 1);
        std::vector<std::atomic<int>> own(5);
        runOnOwnThreads(5, [&](int i) { ++own[size_t(i)]; });
        for (const std::atomic<int>& n : own)
            QCOMPARE(n.load(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRowBands)
#include "tst_row_bands.moc"
