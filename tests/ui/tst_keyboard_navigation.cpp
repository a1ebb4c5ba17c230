#include "canvas/canvas_view.h"
#include "ui/main_window.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

// The window used from the keyboard alone: every control is one stop of the
// Tab cycle, each stop says what it is, and the tabs switch without a mouse.
class TestKeyboardNavigation : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    static QString describe(const QWidget* widget)
    {
        return QStringLiteral("%1 \"%2\"").arg(widget->metaObject()->className(), spokenName(widget));
    }

    // What a screen reader says for the control.
    static QString spokenName(const QWidget* widget)
    {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }

    // The stops that `key` visits from the focused control until it comes
    // back there; empty when the cycle never closes.
    static QList<QWidget*> cycle(Qt::Key key)
    {
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
        QWidget* const start = QApplication::focusWidget();
        QList<QWidget*> stops{start};
        for (int step = 0; step < 200; ++step) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            if (QApplication::focusWidget() == start)
                return stops;
            stops << QApplication::focusWidget();
        }
        return {};
    }

    QList<QUuid> tabIds() const
    {
        QList<QUuid> ids;
        for (const ScreenshotTab& tab : m_state->tabs())
            ids << tab.id;
        return ids;
    }

  private slots:
    void init()
    {
        makeFresh();
        QVERIFY(loadAndCompose(*m_state));
        QVERIFY(loadAndCompose(*m_state, solidImage(200, 100, Qt::red), true));
        m_state->newTab();
        m_widget->resize(1200, 800);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
    }

    void cleanup() { takeDown(); }

    void tabVisitsEveryControlOnceAndShiftTabReturns()
    {
        m_state->selectTab(m_state->tabs()[1].id); // a composed tab, so the styling controls show
        QTRY_VERIFY(m_widget->isActiveWindow());
        QWidget* first = m_widget->nextInFocusChain();
        while (first != m_widget.get() && !(first->isVisible() && first->focusPolicy() & Qt::TabFocus))
            first = first->nextInFocusChain();
        first->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), first);

        const QList<QWidget*> forward = cycle(Qt::Key_Tab);
        QVERIFY2(!forward.isEmpty(), "the Tab cycle never returns to where it started");
        QStringList faults;
        for (const QWidget* stop : forward) {
            if (forward.count(stop) > 1)
                faults << QStringLiteral("visited twice: %1").arg(describe(stop));
            if (!stop->isVisible() || stop->window() != m_widget.get())
                faults << QStringLiteral("a stop that is not shown: %1").arg(describe(stop));
            if (spokenName(stop).isEmpty())
                faults << QStringLiteral("a stop without a name: %1").arg(describe(stop));
        }
        // Every control the window shows is among the stops.
        for (QWidget* control : m_widget->findChildren<QWidget*>())
            if (control->isVisible() && control->focusPolicy() & Qt::TabFocus && control->isEnabled() &&
                control->window() == m_widget.get() && !forward.contains(control) &&
                !qobject_cast<QScrollBar*>(control))
                faults << QStringLiteral("never reached: %1").arg(describe(control));
        faults << unreachableOrNamelessControls(*m_widget);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

        QList<QWidget*> backward = cycle(Qt::Key_Backtab);
        QVERIFY(!backward.isEmpty());
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
    }

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
        QFETCH(QKeySequence, key);
        QFETCH(int, from);
        QFETCH(int, to);
        const QList<QUuid> ids = tabIds();
        m_state->selectTab(ids[from]);
        m_state->addShapeOverlay(); // switching tabs ends its undo history; staying keeps it
        child<CanvasView>(*m_widget)->setFocus();
        QTest::keySequence(m_widget.get(), key);
        QCOMPARE(m_state->currentTabId(), ids[to]);
        QCOMPARE(m_state->historyManager().canUndo(), from == to);
    }

    // The strip is one stop: arrows move the selection and the focus with it,
    // Delete closes the focused tab and the focus stays in the strip.
    void tabStripFromTheKeyboard()
    {
        const QList<QUuid> ids = tabIds();
        m_state->selectTab(ids[0]);
        auto items = m_widget->findChildren<QWidget*>();
        QWidget* selected = nullptr;
        for (QWidget* item : items)
            if (item->metaObject()->className() == QByteArray("lustrelab::TabItem") &&
                item->focusPolicy() & Qt::TabFocus) {
                QVERIFY2(!selected, "more than one tab is a focus stop");
                selected = item;
            }
        QVERIFY(selected);
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

    // A screen reader hears what is selected on the canvas.
    void canvasAnnouncesTheSelection()
    {
        m_state->selectTab(tabIds()[1]);
        const auto* canvas = child<CanvasView>(*m_widget);
        QVERIFY(!spokenName(canvas).isEmpty());
        const QString nothing = canvas->accessibleDescription();
        m_state->addShapeOverlay();
        QVERIFY(canvas->accessibleDescription() != nothing);
        QVERIFY2(canvas->accessibleDescription().contains(QLatin1String("Rectangle")),
                 qPrintable(canvas->accessibleDescription()));
        m_state->setSelectedShapeOverlayId(std::nullopt);
        QCOMPARE(canvas->accessibleDescription(), nothing);
    }
};

QTEST_MAIN(TestKeyboardNavigation)
#include "tst_keyboard_navigation.moc"
