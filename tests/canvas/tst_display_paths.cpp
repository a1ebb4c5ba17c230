// The shortcuts a drag takes on its way to the screen, each against the way
// round it: an image resampled only where it changed against one resampled
// whole, a composition's reported change against the pixels that did change,
// a view repainted only in its damaged parts against a fresh view's paint, and
// a held styling slider's reduced compositions against fresh ones, all on a 2x
// screen.

#include "canvas/canvas_damage.h"
#include "canvas/display_resampler.h"
#include "canvas_fixtures.h"
#include "render/image_processor.h"
#include "slider_handle.h"
#include "ui/padding_panel.h"
#include "ui/shadow_panel.h"
#include "ui/slider_row.h"

#include <QApplication>
#include <QPainter>
#include <QSlider>

using namespace lustrelab;
using namespace lustrelab::canvastest;

namespace {

ShapeOverlay boxAt(double x, double y)
{
    ShapeOverlay shape;
    shape.shapeType = ShapeType::rectangle;
    shape.startPoint = {x, y};
    shape.endPoint = {x + 0.2, y - 0.15};
    return shape;
}

// The tab composed from nothing by a processor of its own, from `source`
// (the tab's, or a copy the same processor reduced).
QImage freshComposition(const AppState& state, const QImage& source, ImageProcessor&& processor = {})
{
    const ScreenshotTab& tab = *state.currentTab();
    return processor.process(source, state.settings(), tab.annotations());
}

// What a new view of the same model paints.
QImage freshPaint(AppState& state, QSize size)
{
    CanvasView fresh(state);
    fresh.resize(size);
    return fresh.grab().toImage();
}

} // namespace

class TestDisplayPaths : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void partialResampleMatchesFull_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QRect>("changed");
        QTest::addColumn<bool>("held"); // the first result, still held elsewhere, must stay as it is
        QTest::addColumn<double>("ratio");
        QTest::newRow("halved once, then filtered (ratio 1 screen)")
            << QSize(1001, 667) << QSize(393, 262) << QRect(301, 207, 120, 91) << false << 1.0;
        QTest::newRow("filtered only (ratio 2 screen)")
            << QSize(800, 600) << QSize(631, 473) << QRect(10, 500, 70, 100) << false << 2.0;
        QTest::newRow("halved twice, odd edges")
            << QSize(1203, 805) << QSize(290, 190) << QRect(1150, 780, 53, 25) << false << 2.0;
        QTest::newRow("halved to the exact size")
            << QSize(800, 600) << QSize(400, 300) << QRect(399, 1, 3, 3) << false << 2.0;
        QTest::newRow("enlarged") << QSize(200, 150) << QSize(700, 525) << QRect(50, 60, 10, 5) << false
                                  << 2.0;
        QTest::newRow("change at the corner")
            << QSize(640, 480) << QSize(500, 375) << QRect(0, 0, 1, 1) << false << 2.0;
        QTest::newRow("a held result is not written: a fresh resample then")
            << QSize(400, 300) << QSize(317, 238) << QRect(10, 10, 1, 1) << true << 2.0;
    }
    void partialResampleMatchesFull()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(QRect, changed);
        QFETCH(bool, held);
        QFETCH(double, ratio);
        const QImage before = test::patternImage(source.width(), source.height())
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage after = before;
        {
            QPainter painter(&after);
            painter.fillRect(changed, QColor(250, 20, 200, 180));
        }
        DisplayResampler partial;
        QImage first = partial.resample(before, target, ratio);
        const QImage firstCopy = first.copy();
        if (!held)
            first = QImage(); // released, so the update may write in place
        const QImage shown = partial.resampleChanged(after, QRegion(changed), target, ratio);
        const QImage fresh = DisplayResampler().resample(after, target, ratio);
        QCOMPARE(shown.devicePixelRatio(), ratio);
        QCOMPARE(differingPixels(shown, fresh), 0);
        if (held)
            QCOMPARE(differingPixels(first, firstCopy), 0);
    }

    void compositionReportsWhatChanged()
    {
        const QImage source = test::patternImage(300, 200, 2);
        ImageProcessor processor;
        BeautySettings settings;
        const QImage first = processor.process(source, settings, {.shapeOverlays = {boxAt(0.2, 0.7)}});
        QVERIFY(!processor.lastChange()); // a new base layer: nothing to relate to
        const QImage kept = first.copy();
        const QImage second = processor.process(source, settings, {.shapeOverlays = {boxAt(0.5, 0.5)}});
        const auto change = processor.lastChange();
        QVERIFY(change);
        QCOMPARE(change->since, first.cacheKey());
        QVERIFY(!change->area.isEmpty());
        int outsideDiffers = 0, insideDiffers = 0;
        for (int y = 0; y < second.height(); ++y)
            for (int x = 0; x < second.width(); ++x) {
                const bool differs = second.pixel(x, y) != kept.pixel(x, y);
                (change->area.contains(QPoint(x, y)) ? insideDiffers : outsideDiffers) += differs;
            }
        QCOMPARE(outsideDiffers, 0);
        QVERIFY(insideDiffers > 0);

        settings.padding += 4;
        processor.process(source, settings, {.shapeOverlays = {boxAt(0.5, 0.5)}});
        QVERIFY(!processor.lastChange());
    }

    void damage_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QRectF>("frameAfter");
        QTest::addColumn<bool>("whole");
        const QRectF frame(24, 24, 400, 300);
        QTest::newRow("a linked change repaints a part") << true << frame << false;
        QTest::newRow("an unrelated image repaints all") << false << frame << true;
        QTest::newRow("a moved frame repaints both frames") << true << frame.translated(1, 0) << false;
        QTest::newRow("a smaller frame repaints the larger")
            << false << frame.adjusted(10, 8, -10, -8) << false;
        QTest::newRow("a larger frame repaints itself") << true << frame.adjusted(-10, -8, 10, 8) << false;
    }
    void damage()
    {
        QFETCH(bool, linked);
        QFETCH(QRectF, frameAfter);
        QFETCH(bool, whole);
        const QRect view(0, 0, 448, 348);
        const QRectF staying(300, 250, 20, 20); // a removal area's outline, say
        const canvas::ShownScene before{
            1, {800, 600}, QRectF(24, 24, 400, 300), {QRectF(50, 50, 20, 20), staying}};
        const canvas::ShownScene after{2, {800, 600}, frameAfter, {staying, QRectF(90, 50, 20, 20)}};
        const ImageChange change{linked ? 1 : 7, QRegion(200, 200, 10, 10)};
        const QRegion damage = canvas::damagedRegion(before, after, change, view);
        if (whole) {
            QCOMPARE(damage, QRegion(view));
            return;
        }
        if (frameAfter != before.frame) {
            // The backdrop outside both frames stays; everything either showed goes.
            const QRegion frames = QRegion(before.frame.toAlignedRect()) + frameAfter.toAlignedRect();
            QVERIFY(frames.subtracted(damage).isEmpty());
            QVERIFY(!damage.contains(QPoint(5, 5)) && !damage.contains(QPoint(440, 340)));
            return;
        }
        QVERIFY(damage.boundingRect().width() < view.width() / 2);
        QVERIFY(!damage.contains(staying.center().toPoint()));
        for (const QPoint p : {QPoint(50, 50), QPoint(69, 69), QPoint(90, 50), QPoint(24 + 100, 24 + 100),
                               QPoint(24 + 104, 24 + 104)})
            QVERIFY2(damage.contains(p), qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));
    }

    // Every step of a move shows a composition made for the canvas's pixels,
    // and on screen after only its damaged parts were repainted is what a
    // fresh view paints of the same model; letting go shows the full
    // composition.
    void partlyRepaintedViewMatchesFreshPaint()
    {
        // Larger than the view's device pixels, so that a move composes for them.
        Canvas canvas(m_home.path(), test::patternImage(2000, 1400, 2));
        QVERIFY(canvas.exposedAndSettled());
        AppState& state = canvas.state;
        CanvasView& view = canvas.view;
        state.addRemovalArea({0.1, 0.4, 0.2, 0.2}, RemovalMethod::contentAware);
        state.setCurrentShapeOverlays({boxAt(0.5, 0.6)});
        state.processImage();
        QVERIFY(test::composed(state));
        const QImage& composed = *state.currentTab()->processedImage;
        const QRectF shown = canvas::fittedImageFrame(QSizeF(view.size()), composed.deviceIndependentSize());
        const QPoint grab = canvas::unitToCanvas({0.6, 0.525}, shown).toPoint();
        QTest::mousePress(&view, Qt::LeftButton, {}, grab);
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(&view, grab + QPoint(9 * step, 5 * step));
            QVERIFY(test::composed(state));
            const ScreenshotTab& tab = *state.currentTab();
            QVERIFY(tab.previewImage);
            QVERIFY(tab.previewImage->width() < composed.width());
            QVERIFY(step == 1 || tab.previewChange); // the shortcut is taken
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            const QImage shownNow = onScreen(view);
            QCOMPARE(shownNow.size(), QSize(1696, 1296));
            QCOMPARE(differingPixels(shownNow, freshPaint(state, view.size())), 0);
        }
        const qint64 before = composed.cacheKey();
        QTest::mouseRelease(&view, Qt::LeftButton, {}, grab + QPoint(36, 20));
        QVERIFY(QTest::qWaitFor([&] { return !state.currentTab()->previewImage && !state.isProcessing(); }));
        const ScreenshotTab& tab = *state.currentTab();
        QVERIFY(tab.processedImage->cacheKey() != before);
        // The full-resolution layers were kept through the move: only the
        // annotations were composed again.
        QVERIFY(tab.processedChange);
        QCOMPARE(differingPixels(*tab.processedImage, freshComposition(state, tab.document.screenshot)), 0);
        QCOMPARE(differingPixels(onScreen(view), freshPaint(state, view.size())), 0);
        // Let go, an edit composes at full resolution straight away.
        state.setCurrentShapeOverlays({boxAt(0.2, 0.9)});
        state.processImage();
        QVERIFY(test::composed(state));
        QVERIFY(!state.currentTab()->previewImage);
    }

    // While styling is held the tab shows compositions made for the room the
    // canvas has, and exports keep the full one; a rest or letting go brings
    // the full composition back. Each against a processor that composes from nothing.
    void heldStylingComposesForTheCanvas_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<bool>("reduced");
        QTest::newRow("small canvas") << QSize(300, 220) << false << true;
        QTest::newRow("small canvas, crop, removal area and a shape") << QSize(260, 300) << true << true;
        QTest::newRow("room for the whole canvas") << QSize(4000, 3000) << true << false;
    }
    void heldStylingComposesForTheCanvas()
    {
        QFETCH(QSize, room);
        QFETCH(bool, annotated);
        QFETCH(bool, reduced);
        AppState state(m_home.path());
        state.loadImage(test::patternImage(600, 400, 2), false);
        if (annotated) {
            state.setCrop(UnitRect{0.1, 0.2, 0.7, 0.6});
            state.addRemovalArea({0.3, 0.6, 0.2, 0.2}, RemovalMethod::contentAware);
            state.setCurrentShapeOverlays({boxAt(0.5, 0.6)});
            state.processImage();
        }
        QVERIFY(test::composed(state));
        const QImage before = *state.currentTab()->processedImage;
        state.setLiveComposition(true);
        // The second step reuses what the first kept, or makes it anew for less room.
        for (const double blur : {30.0, 34.5}) {
            state.setCanvasPixels(blur == 30 ? room * 1.6 : room);
            BeautySettings settings = state.settings();
            settings.shadowBlur = blur;
            settings.cornerRadius = blur / 3;
            state.setSettings(settings);
            state.processImage();
            QVERIFY(test::composed(state));
        }
        const ScreenshotTab& tab = *state.currentTab();
        const QImage& source = tab.document.screenshot;
        QCOMPARE(bool(tab.previewImage), reduced);
        if (reduced) {
            const QImage& preview = *tab.previewImage;
            QCOMPARE(tab.processedImage->cacheKey(), before.cacheKey());
            QVERIFY(preview.width() < before.width());
            // No smaller than the room it is fitted into, and about as large in points.
            QVERIFY(std::max(preview.width() / double(room.width()),
                             preview.height() / double(room.height())) >= 0.99);
            // Whole pixels of the reduced copy round the crop and the canvas a little differently.
            QVERIFY(
                std::abs(preview.deviceIndependentSize().width() / before.deviceIndependentSize().width() -
                         1) < 0.01);
            // The same two rooms: the second, changed, takes the quarter-octave copy.
            ImageProcessor fresh;
            fresh.sourceForDisplay(source, state.settings(), tab.annotations().crop, room * 1.6);
            const QImage reducedSource =
                fresh.sourceForDisplay(source, state.settings(), tab.annotations().crop, room);
            QCOMPARE(differingPixels(preview, freshComposition(state, reducedSource, std::move(fresh))), 0);
            // At rest, still held: the full composition follows.
            QVERIFY(QTest::qWaitFor([&] { return !tab.previewImage && !state.isProcessing(); }));
            QCOMPARE(differingPixels(*tab.processedImage, freshComposition(state, source)), 0);
        }
        state.setLiveComposition(false);
        QVERIFY(test::composed(state));
        QVERIFY(!state.currentTab()->previewImage);
        QCOMPARE(differingPixels(*state.currentTab()->processedImage, freshComposition(state, source)), 0);
    }

    // An opaque image hides the backdrop, which is then left out under it:
    // whatever the view showed before, every pixel must still be painted.
    void everyPixelIsPainted_data()
    {
        QTest::addColumn<double>("opacity"); // of the background colour
        QTest::addColumn<bool>("held");
        QTest::newRow("opaque, held") << 1.0 << true;
        QTest::newRow("see-through, held") << 0.5 << true;
        QTest::newRow("opaque, at rest") << 1.0 << false;
    }
    void everyPixelIsPainted()
    {
        QFETCH(double, opacity);
        QFETCH(bool, held);
        Canvas canvas(m_home.path(), test::patternImage(1200, 800, 2), {421, 317});
        QVERIFY(canvas.exposedAndSettled());
        AppState& state = canvas.state;
        CanvasView& view = canvas.view;
        state.setLiveComposition(held);
        BeautySettings settings = state.settings();
        settings.backgroundType = BackgroundType::solid;
        settings.solidColor = {0.2, 0.5, 0.3, opacity};
        settings.shadowBlur += 4;
        state.setSettings(settings);
        state.processImage();
        QVERIFY(QTest::qWaitFor(
            [&] { return !state.isProcessing() && bool(state.currentTab()->previewImage) == held; }));
        const QImage& shown = *state.currentTab()->shownImage();
        QCOMPARE(shown.hasAlphaChannel(), !(held && opacity == 1));
        auto paintedOver = [&](QColor before) {
            QImage target(view.size() * 2, QImage::Format_RGB32);
            target.setDevicePixelRatio(2);
            target.fill(before);
            view.render(&target, {}, {}, QWidget::DrawChildren);
            return target;
        };
        QCOMPARE(differingPixels(paintedOver(Qt::red), paintedOver(Qt::blue)), 0);
        state.setLiveComposition(false);
    }

    // The real slider and canvas: a drag of the shadow's Blur or the
    // Padding shows reduced compositions as they come (Padding's moving the
    // image repaints only its frames), and the one shown after letting go
    // is the full composition, painted as a fresh view paints it.
    void releasedSliderShowsTheFullComposition_data()
    {
        QTest::addColumn<QString>("sliderName");
        QTest::newRow("blur") << QStringLiteral("blur");
        QTest::newRow("padding") << QStringLiteral("size");
    }
    void releasedSliderShowsTheFullComposition()
    {
        QFETCH(QString, sliderName);
        Canvas canvas(m_home.path(), test::patternImage(1200, 800, 2), {420, 320});
        AppState& state = canvas.state;
        CanvasView& view = canvas.view;
        state.setPaddingCollapsed(false);
        ShadowPanel shadow(state);
        PaddingPanel padding(state);
        QWidget& panel = sliderName == QLatin1String("blur") ? static_cast<QWidget&>(shadow) : padding;
        panel.resize(280, 400);
        panel.show();
        QVERIFY(canvas.exposedAndSettled() && QTest::qWaitForWindowExposed(&panel));
        auto* row = panel.findChild<SliderRow*>(sliderName);
        QVERIFY(row);
        auto* slider = row->findChild<QSlider*>();
        QVERIFY(slider);
        const QPoint start = test::sliderHandleRect(slider).center();
        QTest::mousePress(slider, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 3; ++step) {
            QTest::mouseMove(slider, start + QPoint(6 * step, 0));
            QVERIFY(test::composed(state));
            QVERIFY(state.currentTab()->previewImage);
            QCOMPARE(differingPixels(onScreen(view), freshPaint(state, view.size())), 0);
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(18, 0));
        QVERIFY(QTest::qWaitFor([&] { return !state.currentTab()->previewImage && !state.isProcessing(); }));
        QCOMPARE(differingPixels(*state.currentTab()->processedImage,
                                 freshComposition(state, state.currentTab()->document.screenshot)),
                 0);
        QCOMPARE(differingPixels(onScreen(view), freshPaint(state, view.size())), 0);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestDisplayPaths test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_display_paths.moc"
