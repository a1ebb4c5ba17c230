// The work a composition keeps for the next one, and the copies it composes
// from while a styling control is held, each against composing from nothing.

#include "render/canvas_layout.h"
#include "render/composition_inputs.h"
#include "render/image_processor.h"
#include "render/removal_fill.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>
#include <cmath>

using namespace lustrelab;

Q_DECLARE_METATYPE(BeautySettings)
Q_DECLARE_METATYPE(QList<RemovalArea>)

class TestLiveComposition : public QObject
{
    Q_OBJECT

  private slots:
    // A processor that composed one styling keeps its shadow and base for the
    // next (which may add removal areas): each result after it must be what a
    // new processor makes of the same.
    void keptWorkMatchesFresh_data()
    {
        QTest::addColumn<bool>("withAlpha");
        QTest::addColumn<BeautySettings>("next");
        QTest::addColumn<QList<RemovalArea>>("areas");
        const auto with = [](auto edit) { return edited(dragStart(), edit); };
        for (const bool alpha : {false, true}) {
            const char* kind = alpha ? "with a hole" : "opaque";
            const auto padding = with([](BeautySettings& s) { s.padding = 57; });
            QTest::addRow("padding, %s", kind) << alpha << padding << QList<RemovalArea>();
            // Over the hole, the area's fill changes the outline the shadow is cast from.
            QTest::addRow("padding, removal area, %s", kind)
                << alpha << padding << QList<RemovalArea>{{.rect = {0.6, 0.35, 0.3, 0.3}}};
            const QList<RemovalArea> none;
            QTest::addRow("background, %s", kind)
                << alpha << with([](BeautySettings& s) { s.backgroundType = BackgroundType::transparent; })
                << none;
            QTest::addRow("shadow offset, %s", kind) << alpha << with([](BeautySettings& s) {
                s.shadowOffsetX = 13;
                s.shadowOffsetY = -7;
            }) << none;
            QTest::addRow("shadow blur, %s", kind)
                << alpha << with([](BeautySettings& s) { s.shadowBlur = 31; }) << none;
            // A blur this close to the first averages the same cells.
            QTest::addRow("shadow blur a step on, %s", kind)
                << alpha << with([](BeautySettings& s) { s.shadowBlur = 25; }) << none;
            QTest::addRow("corner radius, %s", kind)
                << alpha << with([](BeautySettings& s) { s.cornerRadius = 22; }) << none;
            QTest::addRow("border, %s", kind)
                << alpha << with([](BeautySettings& s) { s.borderWidth = 6; }) << none;
        }
    }
    void keptWorkMatchesFresh()
    {
        QFETCH(bool, withAlpha);
        QFETCH(BeautySettings, next);
        QFETCH(QList<RemovalArea>, areas);
        const BeautySettings first = dragStart();
        QImage source = liveScreenshot(withAlpha);
        ImageProcessor kept;
        const auto keptResult = [&](const BeautySettings& settings) {
            return kept.process(source, settings, {.removalAreas = areas});
        };
        const auto fresh = [&](const BeautySettings& settings) {
            return ImageProcessor().process(source, settings, {.removalAreas = areas});
        };
        kept.process(source, first);
        QCOMPARE(keptResult(next), fresh(next)); // size, ratio and every pixel
        // Back to the first styling, then the screenshot edited in place,
        // another of the same size (a shadow of its own) and another ratio.
        QCOMPARE(keptResult(first), fresh(first));
        source.setPixel(60, 10, qRgb(0, 0, 0));
        QCOMPARE(keptResult(first), fresh(first));
        source = liveScreenshot(!withAlpha);
        QCOMPARE(keptResult(first), fresh(first));
        source.setDevicePixelRatio(1);
        QCOMPARE(keptResult(first), fresh(first));
    }

    // A preview fill touches only its area and stays near the exact fill
    // there; an area too small to reduce, or a flat band, gets the exact fill.
    void previewFillStaysNearExact_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<int>("meanTolerance"); // mean difference per byte inside the area
        const QImage smooth = patternImage(900, 500, 2);
        QTest::newRow("large area") << smooth << QRect(150, 100, 600, 300) << 2;
        QTest::newRow("against the left and top edges") << smooth << QRect(0, 0, 500, 260) << 2;
        QTest::newRow("against the bottom right") << smooth << QRect(461, 233, 439, 267) << 2;
        QTest::newRow("odd size") << smooth << QRect(101, 77, 397, 211) << 2;
        QTest::newRow("too small to reduce") << smooth << QRect(20, 30, 60, 40) << 0;
        QTest::newRow("flat band") << solidImage(700, 400, QColor(20, 140, 90)) << QRect(50, 50, 600, 300)
                                   << 0;
        QTest::newRow("across a transparent hole")
            << holed(smooth, QRect(300, 150, 300, 200)) << QRect(200, 100, 260, 160) << 4;
    }
    void previewFillStaysNearExact()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, area);
        QFETCH(int, meanTolerance);
        const QImage exact = test::asArgb(fillRemovalArea(image, area));
        const QImage preview = test::asArgb(fillRemovalArea(image, area, FillDetail::preview));
        const QImage before = test::asArgb(image);
        QCOMPARE(preview.size(), image.size());
        const double mean = byteDifferences(preview.copy(area), exact.copy(area)).mean;
        // Outside the area, nothing changed.
        QImage outside = preview, untouched = before;
        for (QImage* cut : {&outside, &untouched}) {
            QPainter painter(cut);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(area, Qt::transparent);
        }
        QCOMPARE(outside, untouched);
        QVERIFY2(mean <= meanTolerance, qPrintable(QStringLiteral("mean difference %1").arg(mean)));
    }

    // A fill buffer reused as the areas move gives what filling anew gives.
    void refilledBufferMatchesFresh()
    {
        // Part of the band transparent: the outline changes.
        const QImage working = holed(patternImage(600, 400, 1), QRect(0, 0, 600, 60));
        const QList<QList<QRect>> steps = {{QRect(40, 40, 200, 120)},
                                           {QRect(60, 50, 200, 120), QRect(300, 200, 250, 150)},
                                           {QRect(300, 210, 250, 150)},
                                           {QRect(10, 300, 500, 90)}};
        CompositionInputs inputs;
        for (const FillDetail detail : {FillDetail::exact, FillDetail::preview, FillDetail::exact}) {
            for (const QList<QRect>& ranges : steps) {
                QImage fresh = working;
                for (const QRect& range : ranges)
                    fresh = fillRemovalArea(fresh, range, detail);
                const CompositionInputs::Cleaned cleaned = inputs.cleaned(working, ranges, detail);
                QCOMPARE(test::asArgb(cleaned.image), test::asArgb(fresh));
                QCOMPARE(cleaned.outlineKept, !ranges.front().intersects(QRect(0, 0, 600, 63)));
            }
        }
    }

    // A copy composed for the screen over an opaque background goes out
    // marked opaque, so that the window copies it; it must still be the same
    // pixels, and nothing whose background lets anything through is marked.
    void opaqueCopiesAreMarked_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<bool>("marked");
        const BeautySettings solid = plainSettings(30, QColor(30, 60, 200), true);
        BeautySettings translucent = solid;
        translucent.solidColor.opacity = 0.5;
        BeautySettings gradient = solid;
        gradient.backgroundType = BackgroundType::customGradient;
        gradient.customGradient.stops = {{{1, 0, 0, 1}, 0}, {{0, 0, 1, 1}, 1}};
        BeautySettings seeThroughStop = gradient;
        seeThroughStop.customGradient.stops[1].color.opacity = 0.9;
        BeautySettings checkerboard = solid;
        checkerboard.backgroundType = BackgroundType::transparent;
        QTest::newRow("solid") << solid << false << true;
        QTest::newRow("solid, a shape over it") << solid << true << true;
        QTest::newRow("translucent solid") << translucent << true << false;
        QTest::newRow("gradient") << gradient << false << true;
        QTest::newRow("gradient with a see-through stop") << seeThroughStop << false << false;
        QTest::newRow("checkerboard") << checkerboard << false << true;
    }
    void opaqueCopiesAreMarked()
    {
        QFETCH(BeautySettings, settings);
        QFETCH(bool, annotated);
        QFETCH(bool, marked);
        const QImage source = liveScreenshot(true);
        QList<ShapeOverlay> shapes;
        if (annotated)
            shapes.append({.shapeType = ShapeType::ellipse, .strokeColor = {0, 0.8, 0.2, 0.6}});
        ImageProcessor processor;
        const QImage shown = processor.sourceForDisplay(source, settings, {}, QSize(300, 200));
        QVERIFY(shown.cacheKey() != source.cacheKey());
        const QImage result = processor.process(shown, settings, {.shapeOverlays = shapes});
        QCOMPARE(result.format(), marked ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(result.devicePixelRatio(), shown.devicePixelRatio());
        // A fresh processor making the same calls gives the same pixels.
        ImageProcessor fresh;
        const QImage again = fresh.process(fresh.sourceForDisplay(source, settings, {}, QSize(300, 200)),
                                           settings, {.shapeOverlays = shapes});
        QCOMPARE(test::asArgb(result), test::asArgb(again));
        if (marked) { // RGB32 promises an alpha byte of 255 everywhere
            int seeThrough = 0;
            for (int y = 0; y < result.height(); ++y)
                for (int x = 0; x < result.width(); ++x)
                    seeThrough += qAlpha(reinterpret_cast<const QRgb*>(result.constScanLine(y))[x]) != 255;
            QCOMPARE(seeThrough, 0);
        }
        // At full size the composition is exported and copied: never marked.
        QCOMPARE(processor.process(source, settings, {.shapeOverlays = shapes}).format(),
                 QImage::Format_ARGB32_Premultiplied);
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
