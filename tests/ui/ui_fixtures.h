#pragma once

// Shared by the window tests: a private HOME and preferences, and helpers
// that give the model a composed image without depending on how long a
// composition takes.

#include "state/app_state.h"
#include "test_fixtures.h"

#include <QImage>
#include <QtTest>
#include <cstdlib>

namespace lustrelab::uitest {

using test::IsolatedHome;
using test::solidImage;

// The control called `name` (or the only one of its type, for an empty
// name) under `root`. A control that is missing means the test no longer
// matches the window: it stops there, naming what it looked for.
template <typename T> T* child(const QObject& root, const QString& name = {})
{
    T* found = root.findChild<T*>(name);
    if (!found) {
        qCritical("no %s named \"%s\" under %s", T::staticMetaObject.className(), qPrintable(name),
                  root.metaObject()->className());
        std::abort();
    }
    return found;
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
