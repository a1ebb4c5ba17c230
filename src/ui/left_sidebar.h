#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QToolButton;

namespace lustrelab {

class AppState;

// The tools pane: capture buttons, tools, overlay settings and templates in a
// scrolling column, and under it the image actions.
class LeftSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit LeftSidebar(AppState& state, QWidget* parent = nullptr);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    QWidget* buildCaptureGroup(QWidget* parent);
    QWidget* buildToolGroup(QWidget* parent);
    QWidget* buildHistoryRow(QWidget* parent);
    QWidget* buildTemplatesGroup(QWidget* parent);
    QWidget* buildImageActions(QWidget* parent);
    void syncTool();
    void syncImageActions();

    AppState& m_state;
    QList<QToolButton*> m_toolButtons;
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_export = nullptr;
};

} // namespace lustrelab
