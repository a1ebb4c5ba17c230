#pragma once

#include <QWidget>

class QScrollArea;
class QStackedWidget;

namespace lustrelab {

class AppState;
class CollapsibleSection;

// The styling pane: canvas, device, background, corners, shadow and padding,
// and the share tab. Every control writes the shared styling and recomposes
// the current tab at once; none of these edits is an undo step.
class RightSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit RightSidebar(AppState& state, QWidget* parent = nullptr);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    CollapsibleSection* addSection(const char* name, const QString& title, const QString& symbol,
                                   QWidget* panel, bool (AppState::*collapsed)() const,
                                   void (AppState::*setCollapsed)(bool),
                                   void (AppState::*collapsedChanged)(bool));

    AppState& m_state;
    QStackedWidget* m_pages;
    QWidget* m_settingsContent;
};

} // namespace lustrelab
