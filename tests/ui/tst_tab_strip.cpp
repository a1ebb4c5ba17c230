// The tab strip: one item per tab in the model's order, switched by keys and
// by the keyboard alone, the close button on the selected or hovered tab,
// thumbnails, and a strip of many tabs that scrolls to the current one.
#include "canvas/canvas_view.h"
#include "ui/main_window.h"
#include "ui/tab_bar.h"
#include "ui/tab_item.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestTabStrip : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    CanvasView* canvas() const { return child<CanvasView>(*m_widget); }
    TabBar* strip() const { return child<TabBar>(*m_widget); }
    TabItem* item(int index) const
    {
        const QUuid id = m_state->tabs().value(index).id;
        for (TabItem* tab : strip()->findChildren<TabItem*>())
            if (tab->tabId() == id)
                return tab;
        return nullptr;
    }

    QToolButton* closeButton(int index) const
    {
        return child<QToolButton>(*item(index), QStringLiteral("closeTabButton"));
    }

    QScrollArea* scrollArea() const { return child<QScrollArea>(*strip()); }

    bool whollyVisible(TabItem* tab) const
    {
        const QWidget* viewport = scrollArea()->viewport();
        return viewport->rect().contains(QRect(tab->mapTo(viewport, QPoint()), tab->size()));
    }

    QList<QUuid> tabIds() const { return test::mapped(m_state->tabs(), &ScreenshotTab::id); }

  private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        QCursor::setPos(QPoint(3000, 3000)); // no tab starts under the pointer
        makeFresh();
    }
    void cleanup() { takeDown(); }

    void keysSwitchTabs_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("Ctrl+Tab wraps") << QKeySequence("Ctrl+Tab") << 2 << 0;
        QTest::newRow("Ctrl+PgDown") << QKeySequence("Ctrl+PgDown") << 1 << 2;
        QTest::newRow("Ctrl+Shift+Tab") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab) << 1 << 0;
        QTest::newRow("Ctrl+PgUp wraps") << QKeySequence("Ctrl+PgUp") << 0 << 2;
        QTest::newRow("Alt+2") << QKeySequence("Alt+2") << 0 << 1;
        QTest::newRow("Alt+9 is the last") << QKeySequence("Alt+9") << 0 << 2;
        QTest::newRow("Alt+5 past the end") << QKeySequence("Alt+5") << 1 << 1;
    }
    void keysSwitchTabs()
    {
        QVERIFY(showThreeTabs(*m_state, *m_widget));
        QFETCH(QKeySequence, key);
        QFETCH(int, from);
        QFETCH(int, to);
        const QList<QUuid> ids = tabIds();
        m_state->selectTab(ids[from]);
        m_state->addShapeOverlay(); // switching tabs ends its undo history; staying keeps it
        canvas()->setFocus();
        QTest::keySequence(m_widget.get(), key);
        QCOMPARE(m_state->currentTabId(), ids[to]);
        QCOMPARE(m_state->historyManager().canUndo(), from == to);
    }

    // The strip is one stop: arrows move the selection and the focus with it,
    // Delete closes the focused tab and the focus stays in the strip.
    void tabStripFromTheKeyboard()
    {
        QVERIFY(showThreeTabs(*m_state, *m_widget));
        const QList<QUuid> ids = tabIds();
        m_state->selectTab(ids[0]);
        const auto stops = test::mapped(strip()->findChildren<TabItem*>(), [](const TabItem* tab) {
            return bool(tab->focusPolicy() & Qt::TabFocus);
        });
        QCOMPARE(stops.count(true), 1);
        TabItem* selected = item(0);
        QVERIFY(selected->focusPolicy() & Qt::TabFocus);
        selected->setFocus(Qt::TabFocusReason);
        QTest::keyClick(selected, Qt::Key_Right);
        QCOMPARE(m_state->currentTabId(), ids[1]);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != selected);
        QCOMPARE(focused->accessibleName(), m_state->currentTab()->name);
        QTest::keyClick(focused, Qt::Key_Left);
        QCOMPARE(m_state->currentTabId(), ids[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(m_state->tabs().size(), 2);
        QVERIFY(!tabIds().contains(ids[0]));
        QTRY_COMPARE(QApplication::focusWidget()->accessibleName(), m_state->currentTab()->name);
    }

    // Three tabs, the last current, then a click: the strip shows the model's
    // tabs in its order, the current one selected. (A click goes through the
    // model, so these rows also cover a change made by the model.)
    void followsTheTabList_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("selected");
        QTest::newRow("two new tabs") << "" << 3 << 2;
        QTest::newRow("click a tab selects it") << "click first" << 3 << 0;
        QTest::newRow("close button of the current tab") << "click close last" << 2 << 1;
        QTest::newRow("plus button") << "click plus" << 4 << 3;
    }
    void followsTheTabList()
    {
        QFETCH(QString, step);
        QFETCH(int, items);
        QFETCH(int, selected);
        m_state->newTab();
        m_state->newTab();
        showWindow();
        if (step == "click first")
            QTest::mouseClick(item(0), Qt::LeftButton, {}, QPoint(12, 10));
        else if (step == "click close last")
            QTest::mouseClick(closeButton(2), Qt::LeftButton);
        else if (step == "click plus")
            QTest::mouseClick(child<QToolButton>(*strip(), QStringLiteral("newTabButton")), Qt::LeftButton);
        QCOMPARE(m_state->tabs().size(), items);
        QCOMPARE(*m_state->currentTabId(), m_state->tabs()[selected].id);
        QCOMPARE(strip()->findChildren<TabItem*>().size(), items);
        for (int i = 0; i < items; ++i) {
            QVERIFY(item(i));
            QCOMPARE(item(i)->parentWidget()->layout()->indexOf(item(i)), i); // in the model's order
            QCOMPARE(item(i)->isSelected(), i == selected);
        }
    }

    void closeButtonOnlyOnSelectedOrHoveredTab_data()
    {
        QTest::addColumn<int>("hovered");
        QTest::addColumn<QList<bool>>("visible");
        QTest::newRow("another tab hovered") << 0 << QList<bool>{true, false, true};
        QTest::newRow("the selected tab hovered") << 2 << QList<bool>{false, false, true};
    }
    void closeButtonOnlyOnSelectedOrHoveredTab()
    {
        QFETCH(int, hovered);
        QFETCH(QList<bool>, visible);
        m_state->newTab();
        m_state->newTab();
        showWindow();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(item(hovered), &enter);
        for (int i = 0; i < visible.size(); ++i)
            QCOMPARE(closeButton(i)->isVisible(), visible[i]);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(item(hovered), &leave);
        QVERIFY(!item(hovered)->isHovering());
        QCOMPARE(closeButton(hovered)->isVisible(), hovered == 2);
    }

    // The thumbnail fills its 16 x 16 box and its corners are cut round.
    void thumbnailFillsItsBoxAndOutlivesEdits_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::newRow("wide") << QSize(400, 100);
        QTest::newRow("tall") << QSize(60, 300);
    }
    void thumbnailFillsItsBoxAndOutlivesEdits()
    {
        QFETCH(QSize, imageSize);
        QVERIFY(loadAndCompose(*m_state, solidImage(imageSize.width(), imageSize.height(), Qt::red)));
        const QImage pixels = child<QLabel>(*item(0), QStringLiteral("thumbnail"))->pixmap().toImage();
        QCOMPARE(pixels.size() / pixels.devicePixelRatio(), QSize(16, 16));
        QCOMPARE(QColor(pixels.pixelColor(8, 8)).rgb(), QColor(Qt::red).rgb());
        QCOMPARE(QColor(pixels.pixelColor(0, 8)).rgb(), QColor(Qt::red).rgb());
        QVERIFY(pixels.pixelColor(0, 0).alpha() < 128);
        // Edits inside a tab also signal a tab change; the strip must keep its
        // items (and their thumbnails) rather than rebuild them.
        const QPointer<TabItem> before = item(0); // an address alone may be reused
        m_state->addShapeOverlay();
        QTRY_VERIFY(!m_state->isProcessing());
        QVERIFY(before && item(0) == before);
    }

    void manyTabsScrollToTheCurrentOneAndLongNamesAreCut()
    {
        for (int i = 0; i < 15; ++i)
            m_state->newTab();
        showWindow();
        QScrollBar* bar = scrollArea()->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_VERIFY(whollyVisible(item(15)));
        QVERIFY(bar->value() > 0);
        QVERIFY(!scrollArea()->verticalScrollBar()->isVisible());
        QWheelEvent wheel(QPointF(50, 10), strip()->mapToGlobal(QPointF(50, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scrollArea()->viewport(), &wheel);
        QVERIFY(!whollyVisible(item(15)));
        m_state->selectTab(m_state->tabs().first().id);
        QTRY_VERIFY(whollyVisible(item(0)));

        // The model has no rename yet; the item takes a long name the way it
        // takes any changed tab.
        ScreenshotTab tab = m_state->tabs().first();
        tab.name = QString(60, QLatin1Char('W'));
        item(0)->setTab(tab);
        const auto* name = child<QLabel>(*item(0), QStringLiteral("name"));
        QVERIFY(name->text().endsWith(QChar(0x2026)));
        QVERIFY(QFontMetrics(name->font()).horizontalAdvance(name->text()) <= TabItem::maximumNameWidth);
        QCOMPARE(name->toolTip(), tab.name);
    }
};

QTEST_MAIN(TestTabStrip)
#include "tst_tab_strip.moc"
