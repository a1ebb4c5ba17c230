#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

namespace lustrelab {

class AppState;

// The saved templates, newest last: a click (or Return) applies one as an undo
// step; Delete or the context menu removes the selected rows from the store,
// which rewrites its file at once. "No templates yet" stands in for an empty
// list.
class TemplateList : public QWidget
{
    Q_OBJECT

  public:
    explicit TemplateList(AppState& state, QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void rebuild();
    void applyRow(int row);
    void deleteSelectedRows();

    AppState& m_state;
    QListWidget* m_list;
    QLabel* m_empty;
};

} // namespace lustrelab
