#pragma once

// The real canvas of the window benchmarks: a CanvasView of 1280 x 800 points,
// shown, with the 2880 x 1800 screenshot at ratio 2 composed on a gradient.

#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "model/gradient_preset.h"
#include "screenshot_fixture.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace lustrelab::bench {

inline qint64 shownKey(const AppState& state)
{
    const ScreenshotTab* tab = state.currentTab();
    return tab && tab->shownImage() ? tab->shownImage()->cacheKey() : 0;
}

// Waits, for at most 10 s, until nothing is composing and the shown image is
// no longer `previousKey`. It sleeps in the event loop as the window does:
// spinning would take a core from the composition's bands.
inline bool waitForComposition(const AppState& state, qint64 previousKey)
{
    const QDeadlineTimer deadline(10000);
    QTimer wake; // only so that the sleeping loop looks at the deadline
    wake.start(50);
    while (state.isProcessing() || shownKey(state) == previousKey) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Paints what the view has marked for repainting, now: the part of it a
// stored composition damaged, as the window's event loop paints it next
// (the update request the view posted), rather than the whole view.
inline void paintDamage(QWidget& view)
{
    QCoreApplication::sendPostedEvents(view.window(), QEvent::UpdateRequest);
}

// Where a brisk drag has got to at `step`, from where it began: back and
// forth over 300 points, 3 points a step.
inline QPoint briskDragOffset(int step)
{
    const int phase = step % 200;
    const int offset = 15 + 3 * (phase < 100 ? phase : 200 - phase);
    return {offset, offset / 3};
}

struct GradientCanvas
{
    QTemporaryDir templates;
    AppState state{templates.path()};
    CanvasView view{state};

    // Shows the canvas and composes the screenshot in it; false when the
    // window never showed or the composition never arrived.
    bool open()
    {
        BeautySettings settings;
        settings.gradientPresetId = gradientPresets().at(1).id;
        state.setSettings(settings);
        view.resize(1280, 800);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return false;
        state.loadImage(makeScreenshot(), false);
        return waitForComposition(state, 0);
    }

    // 600 x 300 points of the composed canvas, over the lines of text.
    bool addRemovalArea()
    {
        const QSizeF points = state.currentTab()->processedImage->deviceIndependentSize();
        state.addRemovalArea({0.45, 0.5, 600 / points.width(), 300 / points.height()},
                             RemovalMethod::contentAware);
        return waitForComposition(state, shownKey(state));
    }

    // An arrow on the screenshot, composed; false when it never was.
    bool addArrow()
    {
        ShapeOverlay shape;
        shape.shapeType = ShapeType::arrow;
        shape.startPoint = {0.2, 0.3};
        shape.endPoint = {0.35, 0.45};
        state.setCurrentShapeOverlays({shape});
        state.processImage();
        return waitForComposition(state, shownKey(state));
    }

    // A point of the view on that arrow, to grab it by.
    QPoint arrowGrab() const { return at({0.275, 0.625}); }

    // The point of the view at `unit` coordinates (0 to 1) of the shown image.
    QPoint at(QPointF unit) const
    {
        const QImage& shown = *state.currentTab()->shownImage();
        const QRectF frame = canvas::fittedImageFrame(QSizeF(view.size()), shown.deviceIndependentSize());
        return QPointF(frame.left() + unit.x() * frame.width(), frame.top() + unit.y() * frame.height())
            .toPoint();
    }
};

} // namespace lustrelab::bench
