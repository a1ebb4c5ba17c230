#pragma once

#include <QScrollArea>

namespace lustrelab {

// A sidebar's column of controls. It scrolls up and down when the window is
// short but never sideways: the area is at least as wide as the column's
// narrowest layout plus the scroll bar, so no control is cut at its edge, and
// it follows the column when sections show, hide or fold. The area takes no
// focus itself: Tab goes straight to the controls and the area scrolls to keep
// the focused one in view.
//
// Sliders, combo boxes and spin boxes in the column take the wheel only while
// they have the focus; otherwise the wheel scrolls the column, so that
// scrolling past a slider does not change it.
class SidebarScrollArea : public QScrollArea
{
    Q_OBJECT

  public:
    explicit SidebarScrollArea(QWidget* content, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int chromeWidth() const;
    void guardWheelControls();
};

} // namespace lustrelab
