// Canvas buffers handed out again between compositions: never one a caller
// still holds, always of the size asked, and results equal to fresh
// compositions. Whether memory is reused is a speed matter, measured in
// bench/bench_buffer_pool.

#include "render/image_buffer_pool.h"
#include "render_probe.h"

#include <QTest>

using namespace lustrelab;

class TestBufferPool : public QObject
{
    Q_OBJECT

  private slots:
    void takeAndKeep_data()
    {
        QTest::addColumn<QSize>("first");
        QTest::addColumn<QSize>("second");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("held");
        QTest::newRow("same size") << QSize(1200, 1000) << QSize(1200, 1000) << true << false;
        QTest::newRow("smaller") << QSize(1200, 1000) << QSize(1000, 900) << true << false;
        QTest::newRow("larger, within room")
            << QSize(1200, 1000) << QSize(1300, 1100) << true << false;
        QTest::newRow("beyond room") << QSize(1200, 1000) << QSize(2400, 2000) << true << false;
        QTest::newRow("still held") << QSize(1200, 1000) << QSize(1200, 1000) << true << true;
        QTest::newRow("smaller, still held")
            << QSize(1200, 1000) << QSize(800, 600) << true << true;
        QTest::newRow("never kept, let go")
            << QSize(1200, 1000) << QSize(1200, 1000) << false << false;
        QTest::newRow("never kept, still held")
            << QSize(1200, 1000) << QSize(1000, 900) << false << true;
        QTest::newRow("small, same size")
            << QSize(100, 80) << QSize(100, 80) << true << false;
        QTest::newRow("small, still held")
            << QSize(100, 80) << QSize(100, 80) << true << true;
    }
    void takeAndKeep()
    {
        QFETCH(QSize, first);
        QFETCH(QSize, second);
        QFETCH(bool, kept);
        QFETCH(bool, held);
        ImageBufferPool pool;
        QImage out = pool.take(first, QImage::Format_ARGB32_Premultiplied);
        out.fill(0xff112233u);
        if (kept)
            pool.keep(out);
        if (!held)
            out = QImage();

        QImage next = pool.take(second, QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(next.size(), second);
        QVERIFY(next.isDetached());
        next.fill(0xff445566u);
        if (held) {
            QCOMPARE(out.pixel(0, 0), 0xff112233u);
            QCOMPARE(out.pixel(first.width() - 1, first.height() - 1), 0xff112233u);
        }
    }

    void resizedCanvasesMatchFreshOnes_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void resizedCanvasesMatchFreshOnes()
    {
        QFETCH(double, ratio);
        // A Padding drag on a screenshot large enough for mapped canvases:
        // the canvas grows and shrinks while the first results are still held.
        const QImage source = patternImage(1100, 1000, ratio);
        ImageProcessor processor;
        QList<QImage> held, copies;
        for (const double padding : {0.0, 40.0, 20.0, 64.0, 8.0, 64.0}) {
            BeautySettings settings = plainSettings(padding, Qt::darkCyan, true);
            settings.cornerRadius = 16;
            const QImage out = processor.process(source, settings);
            QCOMPARE(out, compose(source, settings));
            if (held.size() < 3) {
                held.append(out);
                copies.append(out.copy());
            }
        }
        QCOMPARE(held, copies);
    }
};

QTEST_GUILESS_MAIN(TestBufferPool)
#include "tst_buffer_pool.moc"
