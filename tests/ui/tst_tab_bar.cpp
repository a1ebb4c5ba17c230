#include "ui/tab_bar.h"
#include "ui/tab_item.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestTabBar : public QObject, FreshModel<TabBar>
{
    Q_OBJECT

    void show(int width = 600)
    {
        m_widget->resize(width, TabBar::stripHeight);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }

    // The item standing for the model's tab at `index`.
    TabItem* item(int index) const
    {
        const QUuid id = m_state->tabs().value(index).id;
        for (TabItem* tab : m_widget->findChildren<TabItem*>())
            if (tab->tabId() == id)
                return tab;
        return nullptr;
    }

    QToolButton* closeButton(int index) const
    {
        return child<QToolButton>(*item(index), QStringLiteral("closeTabButton"));
    }

    QScrollArea* scrollArea() const { return child<QScrollArea>(*m_widget); }

    bool whollyVisible(TabItem* tab) const
    {
        const QWidget* viewport = scrollArea()->viewport();
        return viewport->rect().contains(QRect(tab->mapTo(viewport, QPoint()), tab->size()));
    }

  private slots:
    void init()
    {
        QCursor::setPos(QPoint(3000, 3000)); // no tab starts under the pointer
        makeFresh();
    }
    void cleanup() { takeDown(); }

    // Three tabs, the last current, then a change from the model or a click:
    // the strip shows the model's tabs in its order, the current one selected.
    void followsTheTabList_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("selected");
        QTest::newRow("two new tabs") << "" << 3 << 2;
        QTest::newRow("select the first") << "select first" << 3 << 0;
        QTest::newRow("close the current") << "close current" << 2 << 1;
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
        show();
        if (step == "select first")
            m_state->selectTab(m_state->tabs().first().id);
        else if (step == "close current")
            m_state->closeTab(*m_state->currentTabId());
        else if (step == "click first")
            QTest::mouseClick(item(0), Qt::LeftButton, {}, QPoint(12, 10));
        else if (step == "click close last")
            QTest::mouseClick(closeButton(2), Qt::LeftButton);
        else if (step == "click plus")
            QTest::mouseClick(child<QToolButton>(*m_widget, QStringLiteral("newTabButton")), Qt::LeftButton);
        QCOMPARE(m_state->tabs().size(), items);
        QCOMPARE(*m_state->currentTabId(), m_state->tabs()[selected].id);
        QCOMPARE(m_widget->findChildren<TabItem*>().size(), items);
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
        show();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(item(hovered), &enter);
        for (int i = 0; i < visible.size(); ++i)
            QCOMPARE(closeButton(i)->isVisible(), visible[i]);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(item(hovered), &leave);
        QVERIFY(!item(hovered)->isHovering());
        QCOMPARE(closeButton(hovered)->isVisible(), hovered == 2);
    }

    void longNamesAreElided()
    {
        QVERIFY(loadAndCompose(*m_state, solidImage(10, 10)));
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

    void manyTabsScrollToTheCurrentOne()
    {
        for (int i = 0; i < 15; ++i)
            m_state->newTab();
        show(400);
        QScrollBar* bar = scrollArea()->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_VERIFY(whollyVisible(item(15)));
        QVERIFY(bar->value() > 0);
        QVERIFY(!scrollArea()->verticalScrollBar()->isVisible());
        QWheelEvent wheel(QPointF(50, 10), m_widget->mapToGlobal(QPointF(50, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scrollArea()->viewport(), &wheel);
        QVERIFY(!whollyVisible(item(15)));
        m_state->selectTab(m_state->tabs().first().id);
        QTRY_VERIFY(whollyVisible(item(0)));
    }
};

QTEST_MAIN(TestTabBar)
#include "tst_tab_bar.moc"
