#pragma once

#include <QWidget>

class QScrollArea;
class QStackedWidget;

namespace lustrelab {

class AppState;
class BackgroundPanel;
class BordersPanel;
class CollapsibleSection;
class DeviceFramePanel;
class PaddingPanel;
class SegmentedPicker;
class ShadowPanel;
class SharePanel;
class SizePanel;

// The styling pane: canvas, device, background, corners, shadow and padding,
// and the share tab. Every control writes the shared styling and recomposes
// the current tab at once; none of these edits is an undo step.
class RightSidebar : public QWidget
{
    Q_OBJECT

  public:
    explicit RightSidebar(AppState& state, QWidget* parent = nullptr);

    SegmentedPicker* tabPicker() const { return m_tabPicker; }
    // The six sections, top to bottom: Size, Device Frame, Background,
    // Borders, Shadow, Padding.
    QList<CollapsibleSection*> sections() const { return m_sections; }
    bool isShowingShare() const;

    SizePanel* sizePanel() const { return m_size; }
    DeviceFramePanel* deviceFramePanel() const { return m_device; }
    BackgroundPanel* backgroundPanel() const { return m_background; }
    BordersPanel* bordersPanel() const { return m_borders; }
    ShadowPanel* shadowPanel() const { return m_shadow; }
    PaddingPanel* paddingPanel() const { return m_padding; }
    SharePanel* sharePanel() const { return m_share; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    CollapsibleSection* addSection(const QString& title, const QString& symbol, QWidget* panel,
                                   bool (AppState::*collapsed)() const, void (AppState::*setCollapsed)(bool),
                                   void (AppState::*collapsedChanged)(bool));

    AppState& m_state;
    SegmentedPicker* m_tabPicker;
    QStackedWidget* m_pages;
    QWidget* m_settingsContent;
    QList<CollapsibleSection*> m_sections;
    SizePanel* m_size;
    DeviceFramePanel* m_device;
    BackgroundPanel* m_background;
    BordersPanel* m_borders;
    ShadowPanel* m_shadow;
    PaddingPanel* m_padding;
    SharePanel* m_share;
};

} // namespace lustrelab
