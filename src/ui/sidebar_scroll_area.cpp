#include "sidebar_scroll_area.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QSlider>

namespace lustrelab {

namespace {

// The controls that change their value under the wheel.
bool takesTheWheel(const QObject* object)
{
    return qobject_cast<const QSlider*>(object) || qobject_cast<const QComboBox*>(object) ||
           qobject_cast<const QAbstractSpinBox*>(object);
}

} // namespace

SidebarScrollArea::SidebarScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent)
{
    setWidget(content);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Window);
    content->setBackgroundRole(QPalette::Window);
    content->installEventFilter(this);
    guardWheelControls();
}

int SidebarScrollArea::chromeWidth() const
{
    // The scroll bar is counted whether it shows or not: a column that grows
    // taller must not push its controls under the bar.
    return verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

QSize SidebarScrollArea::minimumSizeHint() const
{
    const QWidget* content = widget();
    const QSize base = QScrollArea::minimumSizeHint();
    if (!content)
        return base;
    const int contentWidth = content->minimumSizeHint().expandedTo(content->minimumSize()).width();
    return {std::max(base.width(), contentWidth + chromeWidth()), base.height()};
}

QSize SidebarScrollArea::sizeHint() const
{
    const QSize base = QScrollArea::sizeHint();
    const QWidget* content = widget();
    if (!content)
        return base;
    return {std::max(content->sizeHint().width() + chromeWidth(), minimumSizeHint().width()), base.height()};
}

bool SidebarScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        // Controls added to the column later are guarded too. (The area's
        // own geometry follows the column's through QScrollArea.)
        guardWheelControls();
    } else if (event->type() == QEvent::Wheel && takesTheWheel(watched) &&
               !static_cast<QWidget*>(watched)->hasFocus()) {
        // Ignored and filtered: the wheel goes on to the parents, up to this area.
        event->ignore();
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

void SidebarScrollArea::guardWheelControls()
{
    if (!widget())
        return;
    for (QWidget* control : widget()->findChildren<QWidget*>()) {
        if (!takesTheWheel(control) || control->property("lustrelabWheelGuarded").toBool())
            continue;
        control->setProperty("lustrelabWheelGuarded", true);
        // Not Qt::WheelFocus: a wheel passing over must not take the focus.
        if (control->focusPolicy() & Qt::TabFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(this);
    }
}

} // namespace lustrelab
