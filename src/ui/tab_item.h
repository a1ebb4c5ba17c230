#pragma once

#include "model/screenshot_tab.h"

#include <QWidget>

class QLabel;
class QPainter;
class QToolButton;

namespace lustrelab {

// One tab of the strip: a 16 x 16 thumbnail (or a picture symbol for an empty
// tab), the name elided to at most 100 wide, and a close button shown only
// while the tab is selected or under the pointer. A click anywhere selects.
// It holds a copy of what it shows, never the tab itself. The selected item
// is the strip's one stop in the focus chain: arrow keys ask for the
// neighbouring tab, Delete closes it.
class TabItem : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int thumbnailSize = 16;
    static constexpr int maximumNameWidth = 100;

    explicit TabItem(const ScreenshotTab& tab, QWidget* parent = nullptr);

    QUuid tabId() const { return m_tabId; }
    // Takes the name and image of a changed tab; the thumbnail is remade only
    // when the source image itself changed.
    void setTab(const ScreenshotTab& tab);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovering() const { return m_hovering; }
    // Whether the tab shows the mark of unsaved changes.
    bool isMarkedModified() const { return m_modified; }

  signals:
    void selectRequested();
    void closeRequested();
    // -1 for the tab on the left, +1 for the one on the right.
    void stepRequested(int step);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void setHovering(bool hovering);
    void paintFocusRing(QPainter& painter) const;
    void updateCloseButton();
    void updateThumbnail();
    void updateName();
    void updateIcons();

    QUuid m_tabId;
    QString m_name;
    std::optional<QImage> m_source;
    qint64 m_sourceKey = -1; // no thumbnail made yet
    bool m_selected = false;
    bool m_hovering = false;
    bool m_modified = false;
    QLabel* m_modifiedMark;
    QLabel* m_thumbnail;
    QLabel* m_nameLabel;
    QToolButton* m_closeButton;
};

} // namespace lustrelab
