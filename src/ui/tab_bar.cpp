#include "tab_bar.h"

#include "accessible_interfaces.h"
#include "shell_palette.h"
#include "state/app_state.h"
#include "tab_bar_icons.h"
#include "tab_item.h"

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace lustrelab {

TabBar::TabBar(AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_scrollArea(new QScrollArea(this)), m_row(new QWidget),
      m_rowLayout(new QHBoxLayout(m_row)), m_newTabButton(new QToolButton(this))
{
    setFixedHeight(stripHeight);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    m_rowLayout->setContentsMargins(4, 0, 4, 0);
    m_rowLayout->setSpacing(2);
    m_rowLayout->addStretch(1);
    m_row->setAutoFillBackground(false);
    // The row holds the tabs themselves: it is what a screen reader lists them in.
    m_row->setProperty(accessibleRoleProperty, int(QAccessible::PageTabList));
    m_row->setAccessibleName(tr("Tabs"));

    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFocusPolicy(Qt::NoFocus); // the selected tab is the strip's stop
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    m_scrollArea->setWidget(m_row);
    m_scrollArea->viewport()->installEventFilter(this);

    m_newTabButton->setObjectName(QStringLiteral("newTabButton"));
    m_newTabButton->setAutoRaise(true);
    m_newTabButton->setFixedSize(24, 24);
    m_newTabButton->setIconSize(QSize(12, 12));
    m_newTabButton->setFocusPolicy(Qt::TabFocus);
    m_newTabButton->setToolTip(tr("New Tab (Ctrl+T)"));
    m_newTabButton->setAccessibleName(tr("New Tab"));
    m_newTabButton->setIcon(tabBarIcon(TabBarSymbol::plus, palette().color(QPalette::WindowText)));
    connect(m_newTabButton, &QToolButton::clicked, &m_state, &AppState::newTab);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 0);
    layout->setSpacing(0);
    layout->addWidget(m_scrollArea, 1);
    layout->addWidget(m_newTabButton, 0, Qt::AlignVCenter);

    connect(&m_state, &AppState::tabsChanged, this, &TabBar::syncTabs);
    // A styling change is a change of the current tab's document: its mark follows.
    connect(&m_state, &AppState::settingsChanged, this, &TabBar::syncTabs);
    connect(&m_state, &AppState::currentTabIdChanged, this, [this] { syncSelection(); });
    syncTabs();
}

// Reuses the item of every tab that is still open, so that an edit inside a
// tab (which also signals a tab change) neither rebuilds the strip nor
// rescales thumbnails.
void TabBar::syncTabs()
{
    const QList<ScreenshotTab>& tabs = m_state.tabs();
    const bool hadFocus = stripHasFocus(); // before a closed tab's item goes
    QList<TabItem*> items;
    items.reserve(tabs.size());
    for (const ScreenshotTab& tab : tabs) {
        auto found = std::find_if(m_items.begin(), m_items.end(),
                                  [&tab](const TabItem* item) { return item->tabId() == tab.id; });
        TabItem* item = nullptr;
        if (found != m_items.end()) {
            item = *found;
            m_items.erase(found);
            item->setTab(tab);
        } else {
            item = new TabItem(tab, m_row);
            const QUuid id = tab.id;
            connect(item, &TabItem::selectRequested, this, [this, id] { m_state.selectTab(id); });
            connect(item, &TabItem::closeRequested, this, [this, id] {
                if (m_closeTabWith)
                    m_closeTabWith(id);
                else
                    m_state.closeTab(id);
            });
            connect(item, &TabItem::stepRequested, this, [this, id](int step) { selectNeighbour(id, step); });
        }
        items.append(item);
    }
    qDeleteAll(m_items); // tabs that were closed
    m_items = items;
    for (int i = 0; i < m_items.size(); ++i)
        m_rowLayout->insertWidget(i, m_items[i], 0, Qt::AlignVCenter); // moves an item already in the row
    for (TabItem* item : std::as_const(m_items))
        item->show();
    syncSelection(hadFocus);
}

void TabBar::syncSelection(bool keepFocus)
{
    keepFocus = keepFocus || stripHasFocus();
    const std::optional<QUuid> current = m_state.currentTabId();
    for (TabItem* item : std::as_const(m_items)) {
        const bool selected = current && item->tabId() == *current;
        item->setSelected(selected);
        if (selected && keepFocus)
            item->setFocus(Qt::TabFocusReason); // the focus follows the keyboard's choice
    }
    // After the row has laid out its new items.
    QTimer::singleShot(0, this, &TabBar::revealCurrentTab);
}

bool TabBar::stripHasFocus() const
{
    const QWidget* focused = QApplication::focusWidget();
    return focused && m_row->isAncestorOf(focused);
}

void TabBar::selectNeighbour(const QUuid& id, int step)
{
    const auto at = std::find_if(m_items.begin(), m_items.end(),
                                 [&id](const TabItem* item) { return item->tabId() == id; });
    if (at != m_items.end())
        m_state.selectTabAround(at - m_items.begin() + step);
}

void TabBar::revealCurrentTab()
{
    // The selected item has just grown its close button.
    m_rowLayout->activate();
    for (TabItem* item : std::as_const(m_items))
        if (item->isSelected())
            m_scrollArea->ensureWidgetVisible(item, 0, 0);
}

// The strip has no scroll bar to aim at: a plain wheel turn scrolls it
// sideways, and a touchpad's sideways swipe does so directly.
bool TabBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scrollArea->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint pixels = wheel->pixelDelta();
        const QPoint angle = wheel->angleDelta();
        int delta = 0;
        if (!pixels.isNull())
            delta = std::abs(pixels.x()) > std::abs(pixels.y()) ? pixels.x() : pixels.y();
        else
            delta = (std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y()) / 2;
        QScrollBar* bar = m_scrollArea->horizontalScrollBar();
        bar->setValue(bar->value() - delta);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TabBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        m_newTabButton->setIcon(tabBarIcon(TabBarSymbol::plus, palette().color(QPalette::WindowText)));
    QWidget::changeEvent(event);
}

} // namespace lustrelab
