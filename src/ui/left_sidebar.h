#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QToolButton;

namespace lustrelab {

class AppState;
class ShapeSettingsPanel;
class TemplateList;
class TextSettingsPanel;
class ToolOptionsPanel;

// The tools pane: capture buttons, tools, overlay settings, templates and image actions.
class LeftSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit LeftSidebar(AppState& state, QWidget* parent = nullptr);

    const QList<QToolButton*>& captureButtons() const { return m_captureButtons; }
    // One per canvas tool, in the tools' order.
    const QList<QToolButton*>& toolButtons() const { return m_toolButtons; }
    ToolOptionsPanel* toolOptions() const { return m_toolOptions; }
    TextSettingsPanel* textSettings() const { return m_textSettings; }
    ShapeSettingsPanel* shapeSettings() const { return m_shapeSettings; }
    QToolButton* undoButton() const { return m_undo; }
    QToolButton* redoButton() const { return m_redo; }
    QToolButton* saveTemplateButton() const { return m_saveTemplate; }
    TemplateList* templateList() const { return m_templates; }
    QPushButton* pasteButton() const { return m_paste; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* exportButton() const { return m_export; }

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
    QList<QToolButton*> m_captureButtons;
    QList<QToolButton*> m_toolButtons;
    ToolOptionsPanel* m_toolOptions = nullptr;
    TextSettingsPanel* m_textSettings = nullptr;
    ShapeSettingsPanel* m_shapeSettings = nullptr;
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
    QToolButton* m_saveTemplate = nullptr;
    TemplateList* m_templates = nullptr;
    QPushButton* m_paste = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_export = nullptr;
};

} // namespace lustrelab
