// Bilinear resampling against values worked out by hand (pixel centres
// mapped onto pixel centres, edges held, along either axis), and resampling part of an
// enlargement straight into another image giving the very pixels of making
// the whole enlargement and copying that part.

#include "render/bilinear_resize.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>

using namespace lustrelab;

class TestResampling : public QObject
{
    Q_OBJECT

  private slots:
    // One row of greys (or one column), resized along it; each result
    // pixel's centre falls at (i + 0.5) * from / to - 0.5 in the source, and
    // is the mix of the two source pixels either side, in proportion to the
    // distance.
    void matchesValuesWorkedOutByHand_data()
    {
        QTest::addColumn<QList<int>>("row");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QList<int>>("expected");
        for (const bool vertical : {false, true}) {
            const char* axis = vertical ? "down a column" : "along a row";
            // centres at -0.25 (held at 0), 0.25, 0.75, 1.25 (held at 1)
            QTest::addRow("doubled, %s", axis)
                << QList<int>{0, 255} << 4 << vertical << QList<int>{0, 64, 191, 255};
            // centres at 0.5 and 2.5: halfway between neighbours
            QTest::addRow("halved, %s", axis)
                << QList<int>{0, 100, 200, 255} << 2 << vertical << QList<int>{50, 228};
            // centres at -0.125 (held at 0), 0.625, 1.375 and 2.125 (held at 2)
            QTest::addRow("three to four, %s", axis)
                << QList<int>{0, 120, 240} << 4 << vertical << QList<int>{0, 75, 165, 240};
        }
        QTest::newRow("same size") << QList<int>{7, 99, 201} << 3 << false << QList<int>{7, 99, 201};
    }
    void matchesValuesWorkedOutByHand()
    {
        QFETCH(QList<int>, row);
        QFETCH(int, length);
        QFETCH(bool, vertical);
        QFETCH(QList<int>, expected);
        const auto size = [vertical](int along) { return vertical ? QSize(2, along) : QSize(along, 2); };
        QImage source(size(int(row.size())), QImage::Format_RGB32);
        for (int i = 0; i < row.size(); ++i)
            for (int across = 0; across < 2; ++across)
                source.setPixel(vertical ? across : i, vertical ? i : across, qRgb(row[i], row[i], row[i]));
        const QImage result = bilinearResized(source, size(length));
        QCOMPARE(result.size(), size(length));
        for (int i = 0; i < length; ++i)
            for (int across = 0; across < 2; ++across) { // weights in 256ths: one level of rounding
                const int grey = qGray(result.pixel(vertical ? across : i, vertical ? i : across));
                QVERIFY2(std::abs(grey - expected[i]) <= 1,
                         qPrintable(
                             QStringLiteral("pixel %1: %2, expected %3").arg(i).arg(grey).arg(expected[i])));
            }
    }

    // Opaque results are marked so, which the compositor copies rather than
    // blends; the ratio follows the size.
    void formatAndRatio_data()
    {
        QTest::addColumn<bool>("seeThrough");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("opaque") << false << QImage::Format_RGB32;
        QTest::newRow("one see-through pixel") << true << QImage::Format_ARGB32_Premultiplied;
    }
    void formatAndRatio()
    {
        QFETCH(bool, seeThrough);
        QImage image = patternImage(301, 203, 2);
        if (seeThrough)
            image.setPixel(0, 0, qPremultiply(qRgba(200, 100, 50, 128)));
        const QImage resized = bilinearResized(image, {253, 171});
        QTEST(resized.format(), "format");
        QCOMPARE(resized.devicePixelRatio(), 2.0 * 253 / 301);
        QVERIFY(bilinearResized(QImage(), {253, 171}).isNull());
    }

    // Half-transparent red beside a transparent pixel, doubled: the second
    // result pixel is three quarters of the first, premultiplied (mixing
    // straight colours would give 72, not 96, of red).
    void premultipliedChannelsMixAsTheyAre()
    {
        QImage pair(2, 1, QImage::Format_ARGB32_Premultiplied);
        pair.setPixel(0, 0, qRgba(128, 0, 0, 128));
        pair.setPixel(1, 0, 0);
        const QImage doubled = bilinearResized(pair, {4, 1});
        QCOMPARE(doubled.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(reinterpret_cast<const QRgb*>(doubled.constScanLine(0))[1], qRgba(96, 0, 0, 96));
    }

    void intoMatchesTheWhole_data()
    {
        QTest::addColumn<bool>("seeThrough");
        QTest::addColumn<QImage::Format>("targetFormat");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("alphaChanges");
        const auto rgb32 = QImage::Format_RGB32, premultiplied = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("opaque, middle") << false << rgb32 << QRect(13, 9, 200, 120) << false;
        QTest::newRow("opaque, top-left corner") << false << rgb32 << QRect(0, 0, 37, 21) << false;
        QTest::newRow("opaque, bottom-right corner")
            << false << premultiplied << QRect(290, 172, 40, 20) << false;
        QTest::newRow("see-through into opaque pixels")
            << true << premultiplied << QRect(5, 7, 300, 150) << true;
    }
    void intoMatchesTheWhole()
    {
        QFETCH(bool, seeThrough);
        QFETCH(QImage::Format, targetFormat);
        QFETCH(QRect, window);
        QFETCH(bool, alphaChanges);
        QImage small = patternImage(33, 19, 1).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (seeThrough)
            small.setPixel(10, 10, qPremultiply(qRgba(200, 40, 10, 90)));
        const QSize enlarged(330, 192);
        QImage target = solidImage(400, 300, Qt::darkGreen).convertToFormat(targetFormat);
        const QImage before = target.copy();
        const QPoint at(50, 60);

        const std::optional<uint32_t> changed = bilinearResizedInto(small, enlarged, window, target, at);
        QVERIFY(changed);
        QCOMPARE((*changed >> 24) != 0, alphaChanges);
        QImage expected = before.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        QImage part = bilinearResized(small, enlarged).copy(window);
        part.setDevicePixelRatio(1);
        painter.drawImage(at, part);
        painter.end();
        if (targetFormat == QImage::Format_RGB32)
            expected = expected.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(target, expected);
    }

    void windowsBeyondEitherImageWriteNothing_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("past the enlargement") << QRect(300, 0, 40, 10) << QPoint(0, 0);
        QTest::newRow("past the target") << QRect(0, 0, 40, 10) << QPoint(380, 295);
        QTest::newRow("empty") << QRect(0, 0, 0, 10) << QPoint(0, 0);
    }
    void windowsBeyondEitherImageWriteNothing()
    {
        QFETCH(QRect, window);
        QFETCH(QPoint, at);
        QImage target = solidImage(400, 300, Qt::darkGreen).convertToFormat(QImage::Format_RGB32);
        const QImage before = target.copy();
        QVERIFY(!bilinearResizedInto(patternImage(33, 19, 1), {330, 192}, window, target, at));
        QCOMPARE(target, before);
    }
};

QTEST_GUILESS_MAIN(TestResampling)
#include "tst_resampling.moc"
