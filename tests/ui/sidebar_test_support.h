#pragma once

// Shared by the sidebar, template and preferences tests: a model with a
// composed screenshot, and a check that every control is named and reachable
// from the keyboard.

#include "state/app_state.h"
#include "ui_fixtures.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QtTest>

namespace lustrelab::test {

using uitest::child;

// A segmented picker's segment, counted from the left.
inline QAbstractButton* segment(const QWidget& picker, int index)
{
    return picker.findChildren<QAbstractButton*>().value(index);
}

template <typename T> T* named(const QWidget& root, const char* name)
{
    return child<T>(root, QLatin1String(name));
}

// Fills the current tab with a flat screenshot and waits for its composition.
inline void loadComposedScreenshot(AppState& state, QSize size = {320, 200})
{
    QImage screenshot(size, QImage::Format_ARGB32_Premultiplied);
    screenshot.fill(QColor(40, 90, 160));
    state.loadImage(screenshot, false);
    QTRY_VERIFY(state.currentTab()->processedImage && !state.isProcessing());
}

// The controls a user operates under `root` that are shown, whatever their
// names, and the ones among them that Tab skips or a screen reader could not name.
inline QStringList unreachableOrNamelessControls(const QWidget& root)
{
    QStringList faults;
    const auto all = root.findChildren<QWidget*>();
    for (const QWidget* widget : all) {
        const bool control =
            qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
            qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
            qobject_cast<const QAbstractItemView*>(widget);
        // A pop-up's parts (a combo box's list) live in a window of their own.
        if (!control || !widget->isVisibleTo(&root) || widget->window() != root.window())
            continue;
        if (qobject_cast<const QAbstractSlider*>(widget) && widget->parentWidget() &&
            qobject_cast<const QAbstractItemView*>(widget->parentWidget()->parentWidget()))
            continue; // a list's own scroll bars
        if (qobject_cast<const QAbstractSlider*>(widget) && widget->parentWidget() &&
            widget->parentWidget()->objectName().startsWith(QLatin1String("qt_scrollarea")))
            continue; // a scroll area's own scroll bars
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        const QString name =
            widget->accessibleName().isEmpty() && button ? button->text() : widget->accessibleName();
        if (!(widget->focusPolicy() & Qt::TabFocus))
            faults << QStringLiteral("not reachable with Tab: %1 \"%2\"")
                          .arg(widget->metaObject()->className(), name);
        if (name.isEmpty())
            faults << QStringLiteral("no accessible name: %1").arg(widget->metaObject()->className());
    }
    return faults;
}

} // namespace lustrelab::test
