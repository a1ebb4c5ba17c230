#include "render/fft.h"

#include <QTest>
#include <cmath>
#include <vector>

using namespace lustrelab;

class TestRemovalFft : public QObject
{
    Q_OBJECT
  private slots:
    void circularConvolution_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("4, narrower than a vector") << 4;
        QTest::newRow("8") << 8;
        QTest::newRow("64") << 64;
        QTest::newRow("1024") << 1024;
    }
    // Multiplying two scrambled spectra and transforming back must give the
    // circular convolution of the inputs, whatever order the spectra are in.
    void circularConvolution()
    {
        QFETCH(int, size);
        std::vector<double> aRe(size), aIm(size), bRe(size), bIm(size, 0.0);
        for (int t = 0; t < size; ++t) {
            aRe[t] = std::sin(0.7 * t) + 0.1 * (t % 5);
            aIm[t] = std::cos(1.3 * t);
            bRe[t] = 1.0 / (1.0 + t * t);
        }
        std::vector<double> expectRe(size, 0.0), expectIm(size, 0.0);
        for (int n = 0; n < size; ++n)
            for (int k = 0; k < size; ++k) {
                expectRe[n] += aRe[k] * bRe[(n - k + size) % size];
                expectIm[n] += aIm[k] * bRe[(n - k + size) % size];
            }
        const Fft fft(size);
        fft.forwardScrambled(aRe.data(), aIm.data());
        fft.forwardScrambled(bRe.data(), bIm.data());
        std::vector<double> re(size), im(size);
        for (int f = 0; f < size; ++f) {
            re[f] = aRe[f] * bRe[f] - aIm[f] * bIm[f];
            im[f] = aRe[f] * bIm[f] + aIm[f] * bRe[f];
        }
        fft.inverseFromScrambled(re.data(), im.data());
        for (int n = 0; n < size; ++n) {
            QVERIFY(std::abs(re[n] / size - expectRe[n]) < 1e-9);
            QVERIFY(std::abs(im[n] / size - expectIm[n]) < 1e-9);
        }
    }

    void sizeFor_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("expected");
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("exact power") << 1024 << 1024;
        QTest::newRow("just above") << 1025 << 2048;
        QTest::newRow("twice a line of 600, less one") << 1199 << 2048;
    }
    void sizeFor()
    {
        QFETCH(int, minimum);
        QFETCH(int, expected);
        QCOMPARE(Fft::sizeFor(minimum), expected);
    }
};

QTEST_GUILESS_MAIN(TestRemovalFft)
#include "tst_removal_fft.moc"
