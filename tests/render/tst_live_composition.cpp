// The work a composition keeps for the next one, and the copies it composes
// from while a styling control is held, each against composing from nothing.

#include "render/bilinear_resize.h"
#include "render/canvas_layout.h"
#include "render/image_processor.h"
#include "render_probe.h"

#include <QTest>
#include <cmath>

using namespace lustrelab;

Q_DECLARE_METATYPE(BeautySettings)

namespace {

// The pattern, with a transparent hole where `withAlpha` asks for one.
QImage screenshot(bool withAlpha)
{
    QImage image = patternImage(360, 240, 2);
    if (withAlpha)
        for (int y = 100; y < 140; ++y)
            for (int x = 150; x < 210; ++x)
                image.setPixel(x, y, 0);
    return image;
}

// Bilinear filtering in doubles, pixel centres on pixel centres.
QRgb referenceBilinear(const QImage& image, QSize pixels, int x, int y)
{
    auto at = [](int i, int result, int source) {
        return std::clamp((i + 0.5) * source / result - 0.5, 0.0, double(source - 1));
    };
    const double sx = at(x, pixels.width(), image.width()), sy = at(y, pixels.height(), image.height());
    const int x0 = int(sx), y0 = int(sy);
    const int x1 = std::min(x0 + 1, image.width() - 1), y1 = std::min(y0 + 1, image.height() - 1);
    const double fx = sx - x0, fy = sy - y0;
    auto channel = [&](int shift) {
        auto c = [&](int px, int py) { return double((image.pixel(px, py) >> shift) & 0xff); };
        const double top = c(x0, y0) * (1 - fx) + c(x1, y0) * fx;
        const double bottom = c(x0, y1) * (1 - fx) + c(x1, y1) * fx;
        return uint32_t(std::lround(top * (1 - fy) + bottom * fy));
    };
    return channel(24) << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
}

} // namespace

class TestLiveComposition : public QObject
{
    Q_OBJECT

  private slots:
    // A processor that composed one styling keeps its shadow and base for the
    // next: the second result must be what a new processor makes of it.
    void keptWorkMatchesFresh_data()
    {
        QTest::addColumn<bool>("withAlpha");
        QTest::addColumn<BeautySettings>("next");
        BeautySettings first = plainSettings(40, QColor(30, 60, 200), true);
        first.shadowBlur = 24;
        first.cornerRadius = 10;
        auto with = [&](auto edit) {
            BeautySettings s = first;
            edit(s);
            return s;
        };
        for (const bool alpha : {false, true}) {
            const char* kind = alpha ? "with a hole" : "opaque";
            QTest::addRow("padding, %s", kind) << alpha << with([](BeautySettings& s) { s.padding = 57; });
            QTest::addRow("background, %s", kind)
                << alpha << with([](BeautySettings& s) { s.backgroundType = BackgroundType::transparent; });
            QTest::addRow("shadow offset, %s", kind) << alpha << with([](BeautySettings& s) {
                s.shadowOffsetX = 13;
                s.shadowOffsetY = -7;
            });
            QTest::addRow("shadow blur, %s", kind) << alpha << with([](BeautySettings& s) { s.shadowBlur = 31; });
            QTest::addRow("corner radius, %s", kind)
                << alpha << with([](BeautySettings& s) { s.cornerRadius = 22; });
            QTest::addRow("border, %s", kind) << alpha << with([](BeautySettings& s) { s.borderWidth = 6; });
        }
    }
    void keptWorkMatchesFresh()
    {
        QFETCH(bool, withAlpha);
        QFETCH(BeautySettings, next);
        BeautySettings first = plainSettings(40, QColor(30, 60, 200), true);
        first.shadowBlur = 24;
        first.cornerRadius = 10;
        const QImage source = screenshot(withAlpha);
        ImageProcessor kept;
        kept.process(source, first, {}, {}, {});
        const QImage again = kept.process(source, next, {}, {}, {});
        QCOMPARE(test::asArgb(again), test::asArgb(compose(source, next)));
    }

    // The same shadow for another screenshot of the same size is blurred anew.
    void replacedScreenshotGetsItsOwnShadow()
    {
        BeautySettings settings = plainSettings(40, Qt::white, true);
        ImageProcessor kept;
        kept.process(screenshot(false), settings, {}, {}, {});
        const QImage holed = screenshot(true);
        QCOMPARE(test::asArgb(kept.process(holed, settings, {}, {}, {})), test::asArgb(compose(holed, settings)));
    }

    void bilinearMatchesReference_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::newRow("a quarter octave smaller") << QSize(301, 203) << QSize(253, 171);
        QTest::newRow("a few pixels smaller") << QSize(200, 120) << QSize(197, 118);
        QTest::newRow("larger") << QSize(90, 60) << QSize(131, 87);
        QTest::newRow("one row") << QSize(120, 1) << QSize(101, 1);
    }
    void bilinearMatchesReference()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QImage image = patternImage(from.width(), from.height(), 2);
        image.setPixel(0, 0, qPremultiply(qRgba(200, 100, 50, 128))); // premultiplied channels mix as they are
        const QImage resized = bilinearResized(image, to);
        QCOMPARE(resized.size(), to);
        QCOMPARE(resized.devicePixelRatio(), 2.0 * to.width() / from.width());
        int worst = 0;
        for (int y = 0; y < to.height(); ++y) {
            for (int x = 0; x < to.width(); ++x) {
                const QRgb got = reinterpret_cast<const QRgb*>(resized.constScanLine(y))[x];
                const QRgb want = referenceBilinear(image, to, x, y);
                for (int shift : {0, 8, 16, 24})
                    worst = std::max(worst, std::abs(int((got >> shift) & 0xff) - int((want >> shift) & 0xff)));
            }
        }
        // Weights in 256ths, and each of the three mixes drops its fraction.
        QVERIFY2(worst <= 3, qPrintable(QStringLiteral("off by %1").arg(worst)));
    }

    // Opaque pixels are marked so, which the compositor copies rather than blends.
    void bilinearKeepsWhatIsOpaque()
    {
        QCOMPARE(bilinearResized(screenshot(false), {300, 200}).format(), QImage::Format_RGB32);
        QCOMPARE(bilinearResized(screenshot(true), {300, 200}).format(), QImage::Format_ARGB32_Premultiplied);
        QVERIFY(bilinearResized(QImage(), {30, 20}).isNull());
    }

    // While the room stays, the canvas comes out the shown size; while it
    // changes, from a quarter-octave copy that serves many steps.
    void displaySourceFollowsTheDrag()
    {
        const QImage source = patternImage(1200, 800, 2);
        BeautySettings settings = plainSettings(30);
        const QSizeF full = ImageProcessor::canvasPixelsFor(source.size(), 2, settings);
        auto canvasOf = [&](const QImage& image) {
            return ImageProcessor::canvasPixelsFor(image.size(), image.devicePixelRatio(), settings);
        };
        ImageProcessor processor;
        const QSize room(500, 400);
        const QImage exact = processor.sourceForDisplay(source, settings, {}, room);
        const QSizeF shown = canvasOf(exact);
        QVERIFY2(std::abs(shown.width() - room.width()) <= 1, qPrintable(QString::number(shown.width())));
        QVERIFY(shown.height() <= room.height() + 1);
        QCOMPARE(processor.sourceForDisplay(source, settings, {}, room).cacheKey(), exact.cacheKey());

        settings.padding = 60; // the canvas grows: the scale asked for moves
        const QImage step = processor.sourceForDisplay(source, settings, {}, room);
        const int quarters = int(std::lround(-4 * std::log2(double(step.width()) / source.width())));
        QCOMPARE(step.width(), int(std::lround(source.width() * std::exp2(-quarters / 4.0))));
        QVERIFY(canvasOf(step).width() >= room.width() - 1);
        settings.padding = 61;
        QCOMPARE(processor.sourceForDisplay(source, settings, {}, room).cacheKey(), step.cacheKey());

        // A full composition in between: the next drag starts exact again.
        QCOMPARE(processor.sourceForDisplay(source, settings, {}, {}).cacheKey(), source.cacheKey());
        const QImage again = processor.sourceForDisplay(source, settings, {}, room);
        QVERIFY(std::abs(canvasOf(again).width() - room.width()) <= 1);
        QVERIFY(full.width() > room.width());
    }
};

QTEST_MAIN(TestLiveComposition)
#include "tst_live_composition.moc"
