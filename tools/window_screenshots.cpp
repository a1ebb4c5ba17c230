// Takes the pictures of the window that the AppStream metainfo shows in
// software centres: the real main window, offscreen, with the drawn sample
// screenshot in it, saved with QWidget::grab(). Run it again after a visible
// change to the window (`cmake --build build --target window-screenshots`).
//
//   window_screenshots FOLDER      writes FOLDER/styling.png, FOLDER/annotations.png

#include "app/lustrelab_app.h"
#include "sample_picture.h"
#include "state/app_state.h"
#include "ui/collapsible_section.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace lustrelab;

namespace {

constexpr QSize kWindowSize(1280, 800);

// A sidebar section that opens or closes slides there first.
bool sectionsAtRest(const QWidget& window)
{
    const auto sections = window.findChildren<CollapsibleSection*>();
    return std::none_of(sections.begin(), sections.end(),
                        [](const CollapsibleSection* section) { return section->isAnimating(); });
}

// Runs the event loop until the current tab shows its composed image, the
// sidebars are still and the window has painted; false after ten seconds.
bool waitForComposition(const LustrelabApp& app)
{
    const QDeadlineTimer deadline(10'000);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        const ScreenshotTab* tab = app.state().currentTab();
        if (!app.state().isProcessing() && tab && tab->processedImage && sectionsAtRest(app.window())) {
            for (int i = 0; i < 10; ++i) // the canvas repaints on the next turns of the loop
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

bool save(const LustrelabApp& app, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!waitForComposition(app)) {
        std::fprintf(stderr, "window_screenshots: %s: the composition did not finish\n", qPrintable(name));
        return false;
    }
    if (!app.window().grab().toImage().convertToFormat(QImage::Format_RGB32).save(path, "PNG")) {
        std::fprintf(stderr, "window_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::puts(qPrintable(path));
    return true;
}

TextOverlay caption()
{
    TextOverlay text;
    text.text = QStringLiteral("New: charts");
    text.position = {0.68, 0.8};
    text.fontName = QStringLiteral("DejaVu Sans");
    text.fontSize = 40;
    text.fontWeight = FontWeight::bold;
    text.textColor = {1, 1, 1, 1};
    text.backgroundColor = CodableColor{0.93, 0.28, 0.6, 1};
    text.rotation = -6;
    return text;
}

ShapeOverlay arrow()
{
    ShapeOverlay shape;
    shape.shapeType = ShapeType::arrow;
    shape.startPoint = {0.66, 0.74};
    shape.endPoint = {0.57, 0.57};
    shape.strokeColor = {0.93, 0.28, 0.6, 1};
    shape.strokeWidth = 6;
    return shape;
}

ShapeOverlay highlight()
{
    ShapeOverlay shape;
    shape.shapeType = ShapeType::highlight;
    shape.startPoint = {0.29, 0.64};
    shape.endPoint = {0.52, 0.7};
    shape.strokeColor = {1, 0.85, 0.1, 1};
    return shape;
}

// The newer tools: numbered steps, a pen stroke and a pixelated area.
QList<StepMarker> steps()
{
    QList<StepMarker> markers;
    for (const UnitPoint& at : {UnitPoint{0.36, 0.66}, UnitPoint{0.36, 0.5}, UnitPoint{0.56, 0.3}}) {
        StepMarker marker;
        marker.position = at;
        marker.color = {0.93, 0.28, 0.6, 1};
        marker.size = 64;
        markers.append(marker);
    }
    return renumberedMarkers(markers, 1);
}

PenStroke underline()
{
    PenStroke stroke = freshPenStroke(false);
    for (int i = 0; i <= 12; ++i)
        stroke.points.append({0.3 + 0.02 * i, 0.55 + 0.012 * std::sin(i * 0.9)});
    stroke.color = {0.1, 0.75, 0.95, 1};
    stroke.width = 5;
    return stroke;
}

ShapeOverlay pixelated()
{
    ShapeOverlay shape = freshShape(ShapeType::pixelate);
    shape.startPoint = {0.62, 0.22};
    shape.endPoint = {0.8, 0.34};
    return shape;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A private home: no saved templates, preferences or clipboard paste of
    // whoever runs this change the pictures.
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toUtf8());
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() != 1 || !home.isValid()) {
        std::fputs("usage: window_screenshots FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(args[0]);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "window_screenshots: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Lustrelab"));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));

    LustrelabApp app(home.filePath(QStringLiteral("templates")), [] { return nullptr; });
    AppState& state = app.state();
    app.window().setAutomaticPasteEnabled(false);
    app.window().resize(kWindowSize);
    app.window().show();

    // The styling most people start from: a gradient, soft shadow, padding.
    BeautySettings styling;
    styling.gradientPresetId = QStringLiteral("synthwave");
    styling.cornerRadius = 16;
    state.loadImage(drawSamplePicture({1440, 900}), false);
    state.setSettings(styling);
    state.processImage();
    if (!save(app, folder, QStringLiteral("styling.png")))
        return 1;

    // A second tab, in a browser frame on a solid colour, with annotations.
    styling.backgroundType = BackgroundType::solid;
    styling.solidColor = {0.15, 0.17, 0.23, 1};
    styling.deviceFrameId = QStringLiteral("browserchrome");
    state.loadImage(drawSamplePicture({1440, 900}), true);
    state.setSettings(styling);
    state.setCurrentTextOverlays({caption()});
    state.setCurrentShapeOverlays({highlight(), arrow(), pixelated()});
    state.setCurrentStepMarkers(steps());
    state.setCurrentPenStrokes({underline()});
    state.setCurrentTool(CanvasTool::marker); // the marker's options in the tools pane
    state.setCanvasCollapsed(true); // the frame picker in view instead of the sizes
    state.setDeviceCollapsed(false);
    state.processImage();
    return save(app, folder, QStringLiteral("annotations.png")) ? 0 : 1;
}
