#include "app_state_fixtures.h"

#include <QCoreApplication>
#include <QTest>

namespace lustrelab::test {

QImage solidImage(QRgb color)
{
    QImage image(40, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

QImage comparable(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

HistoryState documentOf(const AppState& state)
{
    return {state.settings(), state.currentTextOverlays(), state.currentShapeOverlays(),
            state.currentRemovalAreas()};
}

QList<QUuid> tabIds(const AppState& state)
{
    QList<QUuid> ids;
    for (const ScreenshotTab& tab : state.tabs())
        ids << tab.id;
    return ids;
}

void prepareDocument(AppState& state)
{
    state.setSourceImage(solidImage(qRgb(10, 20, 30)));
    BeautySettings edited;
    edited.cornerRadius = 30;
    edited.backgroundType = BackgroundType::solid;
    state.setSettings(edited);
    TextOverlay text;
    text.text = QStringLiteral("existing");
    state.setCurrentTextOverlays({text});
    state.setCurrentShapeOverlays({ShapeOverlay{}});
    state.setCurrentRemovalAreas({RemovalArea{}});
}

bool settle(AppState& state)
{
    const bool done = QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
    QCoreApplication::processEvents();
    return done;
}

} // namespace lustrelab::test
