#include "choice_group.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace lustrelab {

namespace {

const char* const groupProperty = "lustrelabChoiceGroup";

} // namespace

ChoiceGroup::ChoiceGroup(QWidget& holder, Arrows arrows)
    : QObject(&holder), m_holder(holder), m_arrows(arrows)
{
    holder.installEventFilter(this);
    adoptNewButtons();
}

ChoiceGroup* ChoiceGroup::of(const QWidget& button)
{
    return qobject_cast<ChoiceGroup*>(button.property(groupProperty).value<QObject*>());
}

QList<QAbstractButton*> ChoiceGroup::members() const
{
    QList<QAbstractButton*> shown;
    for (QAbstractButton* button : m_holder.findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (!button->isHidden() && button->isEnabled())
            shown.append(button);
    return shown;
}

QAbstractButton* ChoiceGroup::stop() const
{
    const QList<QAbstractButton*> shown = members();
    for (QAbstractButton* button : shown)
        if (button->isChecked())
            return button;
    if (m_lastFocused && shown.contains(m_lastFocused.data()))
        return m_lastFocused;
    return shown.value(0);
}

void ChoiceGroup::adoptNewButtons()
{
    for (QAbstractButton* button : m_holder.findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->property(groupProperty).value<QObject*>() == this)
            continue;
        button->setProperty(groupProperty, QVariant::fromValue<QObject*>(this));
        button->installEventFilter(this);
        connect(button, &QAbstractButton::toggled, this, &ChoiceGroup::updateStop);
    }
    updateStop();
}

void ChoiceGroup::updateStop()
{
    QAbstractButton* const tabStop = stop();
    for (QAbstractButton* button : m_holder.findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        button->setFocusPolicy(button == tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool ChoiceGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_holder) {
        // A button is a button only once constructed: it joins when polished,
        // which is before it first shows.
        // The holder's Show comes after its buttons' own set-up.
        if (event->type() == QEvent::ChildPolished || event->type() == QEvent::ChildRemoved ||
            event->type() == QEvent::Show)
            adoptNewButtons();
        return false;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        m_lastFocused = button;
        updateStop();
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::EnabledChange:
        updateStop();
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            break;
        QAbstractButton* next = neighbour(button, key->key());
        if (!next)
            break;
        if (next != button) {
            next->setFocus(Qt::OtherFocusReason);
            if (m_arrows == Arrows::choose && !next->isChecked())
                next->click();
        }
        return true; // an arrow at the end of the group stays in it
    }
    default:
        break;
    }
    return false;
}

QAbstractButton* ChoiceGroup::neighbour(QAbstractButton* from, int key) const
{
    const QList<QAbstractButton*> shown = members();
    const qsizetype at = shown.indexOf(from);
    if (at < 0 || shown.isEmpty())
        return nullptr;
    const bool mirrored = m_holder.isRightToLeft();
    const auto step = [&](int by) { return shown[std::clamp<qsizetype>(at + by, 0, shown.size() - 1)]; };
    switch (key) {
    case Qt::Key_Home:
        return shown.first();
    case Qt::Key_End:
        return shown.last();
    case Qt::Key_Left:
        return step(mirrored ? 1 : -1);
    case Qt::Key_Right:
        return step(mirrored ? -1 : 1);
    case Qt::Key_Up:
    case Qt::Key_Down:
        break;
    default:
        return nullptr;
    }
    const bool down = key == Qt::Key_Down;
    const QRect here = from->geometry();
    const bool oneRow = std::all_of(shown.begin(), shown.end(), [&](const QAbstractButton* button) {
        return button->geometry().top() < here.bottom() && button->geometry().bottom() > here.top();
    });
    if (oneRow)
        return step(down ? 1 : -1);
    // The nearest row in that direction, and on it the button closest across.
    const auto beyond = [&](const QAbstractButton* button) {
        const int y = button->geometry().center().y();
        return down ? y > here.bottom() : y < here.top();
    };
    const auto rowDistance = [&](const QAbstractButton* button) {
        return std::abs(button->geometry().center().y() - here.center().y());
    };
    int nearestRow = -1;
    for (const QAbstractButton* button : shown)
        if (beyond(button) && (nearestRow < 0 || rowDistance(button) < nearestRow))
            nearestRow = rowDistance(button);
    QAbstractButton* best = nullptr;
    for (QAbstractButton* button : shown) {
        if (!beyond(button) || rowDistance(button) > nearestRow + here.height() / 2)
            continue;
        const auto across = [&](const QAbstractButton* b) {
            return std::abs(b->geometry().center().x() - here.center().x());
        };
        if (!best || across(button) < across(best))
            best = button;
    }
    return best ? best : from;
}

} // namespace lustrelab
