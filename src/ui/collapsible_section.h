#pragma once

#include <QString>
#include <QWidget>

class QAbstractButton;
class QPropertyAnimation;
class QVBoxLayout;

namespace lustrelab {

// A titled part of a sidebar that folds away: a header button (symbol, title,
// chevron) over a body, closed by a divider. Folding and unfolding slide the
// body over 0.2 s, easing in and out. The owner keeps the folded state (it
// persists) and answers `toggleRequested` by calling setCollapsed.
class CollapsibleSection : public QWidget
{
    Q_OBJECT

  public:
    CollapsibleSection(const QString& title, const QString& symbol, QWidget* parent = nullptr);

    // Where the owner puts the section's controls: 10 apart, 12 from every edge.
    QVBoxLayout* bodyLayout() const { return m_bodyLayout; }

    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed, bool animated = false);
    // True while the body slides open or shut.
    bool isAnimating() const;

    static constexpr int animationMilliseconds = 200;

  signals:
    // The header was clicked: asks for the opposite of the current state.
    void toggleRequested(bool collapsed);

  private:
    void finishAnimation();

    QAbstractButton* m_header;
    QWidget* m_clip;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
    QPropertyAnimation* m_animation;
    bool m_collapsed = false;
};

} // namespace lustrelab
