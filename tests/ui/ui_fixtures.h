#pragma once

// Shared by the window tests: a private HOME and preferences, the controls
// looked up by name, a model with a composed screenshot, and a check that
// every control is named and reachable from the keyboard.

#include "io/capture_backend.h"
#include "io/screen_capture_service.h"
#include "state/app_state.h"
#include "test_fixtures.h"
#include "ui/choice_group.h"

#include <QtTest>
#include <QtWidgets>
#include <cstdlib>
#include <functional>
#include <memory>

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

template <typename T> T* named(const QObject& root, const char* name)
{
    return child<T>(root, QLatin1String(name));
}

// The button (or chip) under `root` showing `text`, if any.
template <typename T = QAbstractButton> T* labelled(const QWidget& root, const QString& text)
{
    for (T* button : root.findChildren<T*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Which of the widgets called `names` under `root` it shows, in the order
// given: one comparison names every row that shows or hides wrongly.
inline QStringList shownAmong(const QWidget& root, const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names)
        if (child<QWidget>(root, name)->isVisibleTo(&root))
            shown << name;
    return shown;
}

// A segmented picker's segment, counted from the left.
inline QAbstractButton* segment(const QWidget& picker, int index)
{
    return picker.findChildren<QAbstractButton*>().value(index);
}

// A desktop palette: the window colour and the text drawn on it.
inline QPalette paletteWith(QColor window, QColor text)
{
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     QColor::fromRgbF(text.redF(), text.greenF(), text.blueF(), 0.5f));
    return palette;
}

// Pixels of the icon, drawn over the window colour, that differ clearly from it.
inline int visiblePixels(const QIcon& icon, const QColor& window, QIcon::Mode mode = QIcon::Normal)
{
    QImage canvas(16, 16, QImage::Format_ARGB32);
    canvas.fill(window);
    QPainter painter(&canvas);
    icon.paint(&painter, QRect(0, 0, 16, 16), Qt::AlignCenter, mode);
    painter.end();
    int count = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            count += std::abs(QColor(canvas.pixel(x, y)).lightnessF() - window.lightnessF()) > 0.25 ? 1 : 0;
    return count;
}

// Loads an image into the current tab (or a new one) and waits until it is
// composed.
inline bool loadAndCompose(AppState& state, const QImage& image = solidImage(320, 200), bool newTab = false)
{
    state.loadImage(image, newTab);
    return test::composed(state);
}

// A model on a private home and `Widget` on it, for a test class to derive
// from: makeFresh() (in init) leaves no preferences or templates of an
// earlier test function; takeDown() (in cleanup) removes the widget first.
template <typename Widget> class FreshModel
{
  protected:
    void makeFresh()
    {
        QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear();
        QDir(templates()).removeRecursively();
        m_state = std::make_unique<AppState>(templates());
        m_widget = std::make_unique<Widget>(*m_state);
    }
    void takeDown()
    {
        m_widget.reset();
        m_state.reset();
    }
    QString templates() const { return m_home.filePath(QStringLiteral("templates")); }
    // Shows the widget and waits until it has the focus.
    void showWindow()
    {
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
    }
    // The widget (a main window) at `size` and active, without the paste of
    // its first appearance, over `image` composed.
    [[nodiscard]] bool showComposed(QSize size = {1400, 900}, const QImage& image = solidImage(320, 200))
    {
        m_widget->setAutomaticPasteEnabled(false);
        m_widget->resize(size);
        m_widget->show();
        return QTest::qWaitForWindowActive(m_widget.get()) && loadAndCompose(*m_state, image);
    }

    IsolatedHome m_home;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<Widget> m_widget;
};

// Three tabs, two composed and the last empty and current, in `window`
// shown large enough for every control.
[[nodiscard]] inline bool showThreeTabs(AppState& state, QWidget& window)
{
    if (!loadAndCompose(state) || !loadAndCompose(state, solidImage(200, 100, Qt::red), true))
        return false;
    state.newTab();
    window.resize(1200, 800);
    window.show();
    return QTest::qWaitForWindowActive(&window);
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
        const QWidget* parent = widget->parentWidget();
        if (qobject_cast<const QAbstractSlider*>(widget) && parent &&
            (qobject_cast<const QAbstractItemView*>(parent->parentWidget()) ||
             parent->objectName().startsWith(QLatin1String("qt_scrollarea"))))
            continue; // a list's or a scroll area's own scroll bars
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        // As for radio buttons, a group of choices is one stop, its chosen
        // member; the arrow keys move between the choices.
        if (button && button->group() && button->group()->exclusive() && !button->isChecked())
            continue;
        if (const ChoiceGroup* group = button ? ChoiceGroup::of(*button) : nullptr)
            if (group->stop() != button && group->stop() && group->stop()->focusPolicy() & Qt::TabFocus)
                continue;
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

// Installs on `state` a capture that tells `onCapture` the mode asked for,
// then ends without a file, as a cancelled capture does.
class CancelledCapture : public CaptureBackend
{
  public:
    using OnMonitor = std::function<void(const MonitorChoice&)>;
    explicit CancelledCapture(std::function<void(CaptureMode)> onCapture, OnMonitor onMonitor = {})
        : m_onCapture(std::move(onCapture)), m_onMonitor(std::move(onMonitor))
    {
    }
    static void install(AppState& state, std::function<void(CaptureMode)> onCapture, OnMonitor onMonitor = {})
    {
        state.screenCaptureService().setBackend(
            std::make_unique<CancelledCapture>(std::move(onCapture), std::move(onMonitor)));
    }
    QString name() const override { return QStringLiteral("cancelled"); }
    void capture(CaptureMode mode, const QString&, Done done) override
    {
        m_onCapture(mode);
        done({});
    }
    void captureMonitor(const MonitorChoice& choice, const QString&, Done done) override
    {
        if (m_onMonitor)
            m_onMonitor(choice);
        done({});
    }

  private:
    std::function<void(CaptureMode)> m_onCapture;
    OnMonitor m_onMonitor;
};

} // namespace lustrelab::uitest
