#pragma once

// Shared by the window tests: a private HOME and preferences, and helpers
// that give the model a composed image without depending on how long a
// composition takes.

#include "state/app_state.h"
#include "state/test_environment.h"

#include <QImage>
#include <QtTest>

namespace lustrelab::uitest {

// A private HOME and preferences.
using test::IsolatedHome;

inline QImage solidImage(int width, int height, QColor color = QColor(40, 160, 90))
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// Loads an image into the current tab (or a new one) and waits until it is
// composed.
inline bool loadAndCompose(AppState& state, const QImage& image, bool newTab = false)
{
    state.loadImage(image, newTab);
    return QTest::qWaitFor([&] {
        const ScreenshotTab* tab = state.currentTab();
        return tab && tab->processedImage && !state.isProcessing();
    });
}

} // namespace lustrelab::uitest
