// What the canvas shows while a gesture is in progress: compositions made
// from the screenshot reduced for the screen, each against composing from
// nothing and against the full composition reduced to the same size.

#include "render/image_processor.h"
#include "render_probe.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace lustrelab;

Q_DECLARE_METATYPE(BeautySettings)
Q_DECLARE_METATYPE(QList<RemovalArea>)

class TestPreviewComposition : public QObject
{
    Q_OBJECT

  private slots:
    // Styling that keeps the screenshot where it is, composed for the screen
    // step after step: a reused buffer is written only around the
    // screenshot's middle. Every step must be what a fresh processor makes,
    // and the change it reports must hold every pixel that differs from the
    // step before.
    void reusedMiddleMatchesFresh_data()
    {
        QTest::addColumn<bool>("withAlpha");
        QTest::addColumn<BeautySettings>("next");
        QTest::addColumn<bool>("middleKept"); // the change leaves out the screenshot's middle
        const auto with = [](auto edit) { return edited(dragStart(), edit); };
        for (const bool alpha : {false, true}) {
            const char* kind = alpha ? "with a hole" : "opaque";
            const bool kept = !alpha; // a see-through screenshot shows the styling beneath it
            QTest::addRow("shadow blur, %s", kind)
                << alpha << with([](BeautySettings& s) { s.shadowBlur = 31; }) << kept;
            QTest::addRow("corner radius larger, %s", kind)
                << alpha << with([](BeautySettings& s) { s.cornerRadius = 40; }) << kept;
            QTest::addRow("corner radius smaller, %s", kind)
                << alpha << with([](BeautySettings& s) { s.cornerRadius = 2; }) << kept;
            // Wider than the corners are round: the border reaches further in.
            QTest::addRow("border, %s", kind) << alpha << with([](BeautySettings& s) {
                s.borderWidth = 18;
                s.borderColor = {1, 0.5, 0, 1};
            }) << kept;
            QTest::addRow("shadow offset, %s", kind) << alpha << with([](BeautySettings& s) {
                s.shadowOffsetX = 13;
                s.shadowOffsetY = -7;
            }) << kept;
            QTest::addRow("background colour, %s", kind) << alpha << with([](BeautySettings& s) {
                s.solidColor = {0.9, 0.2, 0.1, 1};
            }) << kept;
            QTest::addRow("checkerboard, %s", kind)
                << alpha << with([](BeautySettings& s) { s.backgroundType = BackgroundType::transparent; })
                << kept;
            // The screenshot moves: nothing is kept.
            QTest::addRow("padding, %s", kind)
                << alpha << with([](BeautySettings& s) { s.padding = 43; }) << false;
        }
    }
    void reusedMiddleMatchesFresh()
    {
        QFETCH(bool, withAlpha);
        QFETCH(BeautySettings, next);
        QFETCH(bool, middleKept);
        BeautySettings first = dragStart();
        const QImage source = liveScreenshot(withAlpha);
        const QList<RemovalArea> areas{{.rect = {0.3, 0.3, 0.2, 0.2}}};
        const QList<ShapeOverlay> shapes{{.shapeType = ShapeType::ellipse,
                                          .startPoint = {0.1, 0.1},
                                          .endPoint = {0.3, 0.4},
                                          .strokeColor = {0, 0.8, 0.2, 1}}};
        const QSize room(300, 210);
        ImageProcessor kept;
        auto step = [&](const BeautySettings& settings, const QList<ShapeOverlay>& overlays) {
            return kept.process(kept.sourceForDisplay(source, settings, {}, room), settings,
                                {.shapeOverlays = overlays, .removalAreas = areas});
        };
        // A fresh processor asked for the same sizes (a canvas that grows
        // composes from another copy), composing only the last.
        QList<BeautySettings> asked{first};
        auto fresh = [&](const BeautySettings& settings, const QList<ShapeOverlay>& overlays) {
            ImageProcessor processor;
            QImage reduced;
            for (const BeautySettings& earlier : asked)
                reduced = processor.sourceForDisplay(source, earlier, {}, room);
            return processor.process(reduced, settings, {.shapeOverlays = overlays, .removalAreas = areas});
        };
        // Back and forth, with and without a shape over it: the buffers of
        // both stylings are reused in turn.
        QImage previous = step(first, {}).copy();
        int turn = 0;
        for (const BeautySettings* settings : {&next, &first, &next, &first, &next}) {
            const QList<ShapeOverlay> overlays = (turn++ % 2) ? shapes : QList<ShapeOverlay>();
            asked.append(*settings);
            const QImage result = step(*settings, overlays);
            const std::optional<ImageChange> change = kept.lastChange();
            QCOMPARE(test::asArgb(result), test::asArgb(fresh(*settings, overlays)));
            if (!middleKept) {
                QVERIFY(!change || result.size() != previous.size() ||
                        change->area.contains(QPoint(result.width() / 2, result.height() / 2)));
            } else {
                QVERIFY(change);
                QVERIFY(!change->area.contains(QPoint(result.width() / 2, result.height() / 2)));
            }
            if (change && result.size() == previous.size()) {
                int outside = 0;
                for (int y = 0; y < result.height(); ++y)
                    for (int x = 0; x < result.width(); ++x)
                        outside += !change->area.contains(QPoint(x, y)) &&
                                   result.pixel(x, y) != previous.pixel(x, y);
                QCOMPARE(outside, 0);
            }
            previous = result.copy();
        }
    }

    // A drag that resizes the canvas writes each shown pixel straight from
    // the larger copy: exactly what composing the copy and drawing it scaled
    // without filtering shows, pixel for pixel.
    void growingPreviewIsTheCopySampledAtNearestPixels_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        const BeautySettings plain = plainSettings(48, QColor(30, 60, 200), false);
        QTest::newRow("plain") << plain;
        BeautySettings styled = plainSettings(30, QColor(200, 60, 30), true);
        styled.backgroundType = BackgroundType::customGradient;
        styled.customGradient.kind = GradientKind::radial;
        styled.customGradient.stops = {{{1, 0.8, 0, 1}, 0}, {{0.1, 0, 0.6, 1}, 1}};
        styled.cornerRadius = 20;
        styled.borderWidth = 5;
        styled.borderColor = {1, 1, 1, 1};
        QTest::newRow("shadow, corners, border, radial gradient") << styled;
    }
    void growingPreviewIsTheCopySampledAtNearestPixels()
    {
        QFETCH(BeautySettings, settings);
        QImage source = liveScreenshot(false).scaled(1440, 960);
        source.setDevicePixelRatio(2);
        const QSize room(530, 350);
        ImageProcessor previewProcessor;
        previewProcessor.sourceForDisplay(source, settings, {}, room * 1.3);
        const QImage copy = previewProcessor.sourceForDisplay(source, settings, {}, room);
        const QImage preview = test::asArgb(previewProcessor.process(copy, settings));
        // The same copy composed at its own size, once the drag has ended.
        previewProcessor.sourceForDisplay(source, settings, {}, QSize());
        const QImage whole = test::asArgb(previewProcessor.process(copy, settings));
        QVERIFY(preview.width() < whole.width());
        auto nearest = [](int i, int shown, int canvas) {
            return std::min(canvas - 1, int((i + 0.5) * canvas / shown));
        };
        int differing = 0;
        for (int y = 0; y < preview.height(); ++y)
            for (int x = 0; x < preview.width(); ++x)
                differing += preview.pixel(x, y) != whole.pixel(nearest(x, preview.width(), whole.width()),
                                                                nearest(y, preview.height(), whole.height()));
        QCOMPARE(differing, 0);
    }

    // What the canvas shows while a gesture is in progress is the full
    // composition resampled: composed from the reduced screenshot at the
    // shown size, it stays within a small difference of the full composition
    // reduced to that size, whatever the styling draws.
    void previewAgreesWithTheFullComposition_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<QList<RemovalArea>>("areas");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<bool>("growing"); // a drag that resizes the canvas: written at the shown size
        const BeautySettings plain = plainSettings(48, QColor(30, 60, 200), false);
        const auto with = [&](auto edit) { return edited(plain, edit); };
        const QList<RemovalArea> none;
        QTest::newRow("plain") << plain << none << false << false;
        QTest::newRow("removal areas")
            << plain << QList<RemovalArea>{{.rect = {0.2, 0.3, 0.3, 0.25}}, {.rect = {0.6, 0.6, 0.1, 0.1}}}
            << false << false;
        QTest::newRow("wide shadow") << with([](BeautySettings& s) {
            s.shadowEnabled = true;
            s.shadowBlur = 40;
            s.shadowOpacity = 0.8f;
            s.shadowOffsetY = 12;
        }) << none << false << false;
        QTest::newRow("corners and border") << with([](BeautySettings& s) {
            s.cornerRadius = 24;
            s.borderWidth = 6;
            s.borderColor = {1, 1, 1, 1};
        }) << none << false << false;
        QTest::newRow("gradient") << with([](BeautySettings& s) {
            s.backgroundType = BackgroundType::customGradient;
            s.customGradient.stops = {{{1, 0, 0, 1}, 0}, {{0, 0, 1, 1}, 1}};
        }) << none << false << false;
        QTest::newRow("checkerboard")
            << with([](BeautySettings& s) { s.backgroundType = BackgroundType::transparent; }) << none
            << false << false;
        QTest::newRow("picture background, blurred") << with([](BeautySettings& s) {
            s.backgroundType = BackgroundType::image;
            s.backgroundImagePath = QStringLiteral("picture.png");
            s.backgroundImageBlur = 6;
        }) << none << false << false;
        QTest::newRow("everything, annotated") << with([](BeautySettings& s) {
            s.shadowEnabled = true;
            s.shadowBlur = 30;
            s.cornerRadius = 16;
            s.borderWidth = 4;
        }) << QList<RemovalArea>{{.rect = {0.25, 0.25, 0.2, 0.2}}}
                                               << true << false;
        QTest::newRow("growing canvas") << plain << none << false << true;
        // Taken straight from the opaque middle, around it composed: the
        // border, the rounded corners and a background that varies across
        // the canvas meet the middle where it is cut out.
        QTest::newRow("growing canvas, border, radial gradient") << with([](BeautySettings& s) {
            s.backgroundType = BackgroundType::customGradient;
            s.customGradient.kind = GradientKind::radial;
            s.customGradient.stops = {{{1, 0.8, 0, 1}, 0}, {{0.1, 0, 0.6, 1}, 1}};
            s.cornerRadius = 20;
            s.borderWidth = 5;
            s.borderColor = {1, 1, 1, 1};
        }) << none << false << true;
        QTest::newRow("growing canvas, shadow, removal area, annotated") << with([](BeautySettings& s) {
            s.shadowEnabled = true;
            s.shadowBlur = 30;
            s.cornerRadius = 16;
        }) << QList<RemovalArea>{{.rect = {0.25, 0.25, 0.2, 0.2}}} << true
                                                                         << true;
    }
    void previewAgreesWithTheFullComposition()
    {
        QFETCH(BeautySettings, settings);
        QFETCH(QList<RemovalArea>, areas);
        QFETCH(bool, annotated);
        QFETCH(bool, growing);
        QTemporaryDir dir;
        if (settings.backgroundType == BackgroundType::image) {
            settings.backgroundImagePath = dir.filePath(settings.backgroundImagePath);
            QVERIFY(patternImage(500, 300).save(settings.backgroundImagePath));
        }
        // Smooth content: a pattern of single-pixel detail cannot survive any
        // reduction, so the screenshot is soft within a few pixels.
        const QImage source =
            patternImage(120, 80, 2).scaled(1200, 800, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage hiDpi = source;
        hiDpi.setDevicePixelRatio(2);
        QList<ShapeOverlay> shapes;
        QList<TextOverlay> texts;
        if (annotated) {
            shapes.append({.shapeType = ShapeType::arrow,
                           .startPoint = {0.2, 0.2},
                           .endPoint = {0.7, 0.6},
                           .strokeColor = {1, 0.2, 0.1, 1},
                           .strokeWidth = 6});
            TextOverlay text;
            text.text = QStringLiteral("Preview");
            text.fontSize = 40;
            texts.append(text);
        }
        ImageProcessor processor;
        const QImage full = processor.process(
            hiDpi, settings, {.textOverlays = texts, .shapeOverlays = shapes, .removalAreas = areas});
        const QSize room(480, 330);
        ImageProcessor previewProcessor;
        if (growing)
            previewProcessor.sourceForDisplay(hiDpi, settings, {}, room * 1.3);
        const QImage reduced = previewProcessor.sourceForDisplay(hiDpi, settings, {}, room);
        QVERIFY(reduced.width() < hiDpi.width());
        const QImage preview = test::asArgb(previewProcessor.process(
            reduced, settings, {.textOverlays = texts, .shapeOverlays = shapes, .removalAreas = areas}));
        // No larger than shown, not by a row: the view would then scale it to
        // fit on every paint instead of copying it.
        QVERIFY2(preview.width() <= room.width() && preview.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(preview.width()).arg(preview.height())));
        // In points the two are the same canvas, to a pixel of the reduced copy.
        QVERIFY(
            std::abs(preview.width() / double(full.width()) * full.devicePixelRatio() /
                         previewProcessor
                             .process(reduced, settings,
                                      {.textOverlays = texts, .shapeOverlays = shapes, .removalAreas = areas})
                             .devicePixelRatio() -
                     1) < 0.01);
        const QImage reference =
            test::asArgb(full.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        const auto [largest, mean, p99] = byteDifferences(preview, reference);
        // Edges (the screenshot's, the border's, a stroke's) land on other
        // pixels at the two sizes; elsewhere the two are one picture. A
        // growing canvas takes the nearest pixel of a copy up to a quarter
        // octave larger, a little coarser.
        const double meanTolerance = growing ? 4 : 2.5;
        const int p99Tolerance = growing ? 48 : 40;
        QVERIFY2(mean <= meanTolerance && p99 <= p99Tolerance,
                 qPrintable(QStringLiteral("mean %1, 99th percentile %2").arg(mean).arg(p99)));
    }
};

QTEST_MAIN(TestPreviewComposition)
#include "tst_preview_composition.moc"
