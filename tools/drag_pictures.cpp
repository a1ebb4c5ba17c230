// Pictures of the real window in the middle of a drag and after it, to look
// at what a gesture shows: while a styling slider or a shape is dragged the
// canvas shows a composition made for its own pixels, and after letting go
// the full one. For each gesture it saves NAME-during.png (held still, the
// preview on screen) and NAME-after.png (released at the same place, the full
// composition on screen), and prints how far the two canvases differ.
//
//   xvfb-run -a env QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=xcb build/tools/drag_pictures FOLDER

#include "app/lustrelab_app.h"
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "sample_picture.h"
#include "slider_handle.h"
#include "state/app_state.h"
#include "ui/main_window.h"
#include "ui/slider_row.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace lustrelab;

namespace {

// Runs the event loop until `done` holds and the window has painted; false
// after ten seconds.
bool waitUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(10'000);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done()) {
            for (int i = 0; i < 5; ++i)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            return true;
        }
        QThread::msleep(2);
    }
    return false;
}

QImage grabWindow(const LustrelabApp& app)
{
    return app.window().grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Mean and 99th percentile of the largest channel difference per pixel.
void printDifference(const char* name, const QImage& a, const QImage& b)
{
    std::vector<int> worst;
    qint64 total = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            total += d;
            worst.push_back(d);
        }
    std::sort(worst.begin(), worst.end());
    const size_t n = std::max<size_t>(1, worst.size());
    std::printf("%-14s during vs after: mean %.2f, 99th percentile %d, max %d (levels of 255)\n", name,
                double(total) / double(n), worst.empty() ? 0 : worst[n * 99 / 100],
                worst.empty() ? 0 : worst.back());
}

bool save(const QImage& image, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "drag_pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::puts(qPrintable(path));
    return true;
}

// Presses `widget` at `from`, moves in steps to `to` and holds still there
// until the preview is on screen; grabs; releases there and grabs the full
// composition.
bool gesture(const LustrelabApp& app, QWidget* widget, QPoint from, QPoint to, const QDir& folder,
             const char* name)
{
    const AppState& state = app.state();
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 6; ++i) {
        QTest::mouseMove(widget, from + (to - from) * i / 6);
        QApplication::processEvents();
    }
    // Grabbed before the rest of a held drag brings the full composition.
    if (!waitUntil([&] { return !state.isProcessing() && state.currentTab()->previewImage; })) {
        std::fprintf(stderr, "drag_pictures: %s: no preview was shown\n", name);
        return false;
    }
    const QImage during = grabWindow(app);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
    if (!waitUntil([&] { return !state.isProcessing() && !state.currentTab()->previewImage; })) {
        std::fprintf(stderr, "drag_pictures: %s: the full composition never came\n", name);
        return false;
    }
    const QImage after = grabWindow(app);
    printDifference(name, during, after);
    return save(during, folder, QStringLiteral("%1-during.png").arg(QLatin1String(name))) &&
           save(after, folder, QStringLiteral("%1-after.png").arg(QLatin1String(name)));
}

bool sliderGesture(const LustrelabApp& app, const char* sliderName, int distance, const QDir& folder)
{
    auto* row = app.window().findChild<SliderRow*>(QString::fromLatin1(sliderName));
    auto* slider = row ? row->findChild<QSlider*>() : nullptr;
    if (!slider || !slider->isVisible()) {
        std::fprintf(stderr, "drag_pictures: no %s slider in view\n", sliderName);
        return false;
    }
    const QPoint handle = test::sliderHandleRect(slider).center();
    return gesture(app, slider, handle, handle + QPoint(distance, 0), folder, sliderName);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toUtf8());
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() != 1 || !home.isValid()) {
        std::fputs("usage: drag_pictures FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(args[0]);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "drag_pictures: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    LustrelabApp app(home.filePath(QStringLiteral("templates")), [] { return nullptr; });
    AppState& state = app.state();
    app.window().setAutomaticPasteEnabled(false);
    state.setCanvasCollapsed(true);
    state.setCornersCollapsed(false);
    state.setShadowCollapsed(false);
    state.setPaddingCollapsed(true);
    app.window().resize(1280, 800);
    app.window().show();

    BeautySettings styling;
    styling.gradientPresetId = QStringLiteral("synthwave");
    styling.cornerRadius = 16;
    styling.borderWidth = 3;
    QImage screenshot = drawSamplePicture({2880, 1800});
    screenshot.setDevicePixelRatio(2); // a capture of a HiDPI screen
    state.loadImage(screenshot, false);
    state.setSettings(styling);
    state.addRemovalArea({0.6, 0.2, 0.15, 0.1}, RemovalMethod::contentAware);
    ShapeOverlay arrow;
    arrow.shapeType = ShapeType::arrow;
    arrow.startPoint = {0.3, 0.3};
    arrow.endPoint = {0.45, 0.5};
    arrow.strokeWidth = 6;
    state.setCurrentShapeOverlays({arrow});
    state.processImage();
    if (!waitUntil([&] { return !state.isProcessing() && state.currentTab()->processedImage; }))
        return 1;

    bool ok = sliderGesture(app, "blur", 40, folder) && sliderGesture(app, "cornerRadius", 30, folder);
    state.setShadowCollapsed(true);
    state.setPaddingCollapsed(false);
    waitUntil([] { return true; });
    ok = ok && sliderGesture(app, "size", 30, folder);

    auto* canvas = app.window().findChild<CanvasView*>();
    const QImage& shown = *state.currentTab()->processedImage;
    const QRectF frame = canvas::fittedImageFrame(QSizeF(canvas->size()), shown.deviceIndependentSize());
    const QPoint grab = (frame.topLeft() + QPointF(0.375 * frame.width(), 0.6 * frame.height())).toPoint();
    ok = ok && gesture(app, canvas, grab, grab + QPoint(80, 40), folder, "shapeMove");
    return ok ? 0 : 1;
}
