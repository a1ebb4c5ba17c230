#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class QScrollArea;
class QToolButton;
class QHBoxLayout;

namespace lustrelab {

class AppState;
class TabItem;

// The strip of open tabs above the canvas, 32 high: one TabItem per tab in
// list order, scrolling sideways (wheel or touchpad) when they do not fit,
// and a "+" button that opens a new tab. It follows the tab list and the
// current tab of the model and keeps no state of its own. While a tab has
// the keyboard focus, the focus follows the selected tab.
class TabBar : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int stripHeight = 32;

    explicit TabBar(AppState& state, QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

    // What a tab's close button does; by default it closes the tab.
    void setTabCloser(std::function<void(const QUuid&)> closer) { m_closeTabWith = std::move(closer); }

  private:
    void syncTabs();
    void syncSelection(bool keepFocus = false);
    bool stripHasFocus() const;
    void selectNeighbour(const QUuid& id, int step);
    void revealCurrentTab();

    AppState& m_state;
    std::function<void(const QUuid&)> m_closeTabWith;
    QScrollArea* m_scrollArea;
    QWidget* m_row;
    QHBoxLayout* m_rowLayout;
    QToolButton* m_newTabButton;
    QList<TabItem*> m_items; // owned by m_row, in tab order
};

} // namespace lustrelab
