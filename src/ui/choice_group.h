#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractButton;
class QWidget;

namespace lustrelab {

// Makes the buttons directly under a holder (a row of segments, a grid of
// swatches, a flow of chips) one stop of the Tab chain, as a radio group is.
// The stop is the chosen (checked) button, else the one last focused, else
// the first; the others take the focus from a click only. Inside, the arrow
// keys move the focus: Left and Right to the previous and next button, Up
// and Down to the nearest one on the row above or below (the previous and
// next in a single row), Home and End to the first and last. With
// `Arrows::choose` the button reached is also pressed, as radio buttons are;
// with `Arrows::moveFocus` Space presses it. Buttons added to the holder later
// (a grid refilled) join by themselves.
class ChoiceGroup : public QObject
{
    Q_OBJECT

  public:
    enum class Arrows { moveFocus, choose };

    ChoiceGroup(QWidget& holder, Arrows arrows);

    // The group `button` belongs to, if any.
    static ChoiceGroup* of(const QWidget& button);

    // The shown and enabled buttons, in the holder's order.
    QList<QAbstractButton*> members() const;
    // The member Tab stops at.
    QAbstractButton* stop() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void adoptNewButtons();
    void updateStop();
    QAbstractButton* neighbour(QAbstractButton* from, int key) const;

    QWidget& m_holder;
    Arrows m_arrows;
    QList<QPointer<QAbstractButton>> m_adopted;
    QPointer<QAbstractButton> m_lastFocused;
};

} // namespace lustrelab
