#pragma once

// Shared by the canvas tests that drive the real widget: a canvas on a
// freshly loaded screenshot, and the pointer gestures made on it.

#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QTest>
#include <cmath>
#include <optional>

namespace lustrelab::canvastest {

// Unit points, and rectangles or their absence, equal to within `tolerance`.
inline bool near(UnitPoint a, UnitPoint b, double tolerance = 1e-9)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance;
}
inline bool near(const std::optional<UnitRect>& a, const std::optional<UnitRect>& b, double tolerance = 1e-9)
{
    if (!a || !b)
        return !a && !b;
    return near({a->x, a->y}, {b->x, b->y}, tolerance) &&
           near({a->width, a->height}, {b->width, b->height}, tolerance);
}

// How many pixels of two images differ; -1 when their sizes do.
inline int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            differing += x.pixel(column, row) != y.pixel(column, row);
    return differing;
}

// What the window shows: the offscreen platform's backing store is an image.
inline QImage onScreen(QWidget& view)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QPaintDevice* device = view.backingStore()->paintDevice();
    return device->devType() == QInternal::Image ? static_cast<QImage*>(device)->copy() : QImage();
}

// A shown view (848 x 648 unless told) of a screenshot (400 x 300 unless
// told), composed once settle() is true.
struct Canvas
{
    explicit Canvas(const QString& home,
                    const QImage& screenshot = test::solidImage(400, 300, QColor(40, 120, 200)),
                    QSize size = {848, 648})
        : state(home), view(state)
    {
        view.resize(size);
        view.show();
        state.loadImage(screenshot, false);
    }
    [[nodiscard]] bool settle() const { return test::composed(state); }
    // On the screen, where what is painted reaches the backing store, and composed.
    [[nodiscard]] bool exposedAndSettled() { return QTest::qWaitForWindowExposed(&view) && settle(); }
    QSizeF imageSize() const
    {
        const QImage& shown = *state.currentTab()->processedImage;
        return QSizeF(shown.size()) / shown.devicePixelRatio();
    }
    QRectF frame() const { return canvas::fittedImageFrame(QSizeF(view.size()), imageSize()); }
    QPoint at(UnitPoint u) const { return canvas::unitToCanvas(u, frame()).toPoint(); }
    UnitPoint unitAt(QPointF p) const { return canvas::canvasToUnit(p, frame()); }

    AppState state;
    CanvasView view;
};

// A press at the first point, moves through the others, a release at the last.
inline void drag(QWidget* widget, const QList<QPoint>& path)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, path.first());
    for (qsizetype i = 1; i < path.size(); ++i)
        QTest::mouseMove(widget, path[i]);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, path.last());
}

// A straight drag in `steps` equal moves.
inline void drag(QWidget* widget, QPoint from, QPoint to, int steps = 4)
{
    QList<QPoint> path{from};
    for (int i = 1; i <= steps; ++i)
        path << from + (to - from) * i / steps;
    drag(widget, path);
}

} // namespace lustrelab::canvastest
