#pragma once

// Shared by the window tests: a private HOME and preferences, and helpers
// that give the model a composed image without depending on how long a
// composition takes.

#include "state/app_state.h"
#include "test_fixtures.h"

#include <QImage>
#include <QtTest>

namespace lustrelab::uitest {

using test::IsolatedHome;
using test::solidImage;

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
