// The undo history belongs to the current tab: switching or closing tabs must
// never let one tab's snapshots reach another, and the window hears of every
// change of the current tab.

#include "state/app_state.h"
#include "test_fixtures.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace lustrelab;
using TabOperation = std::function<void(AppState&, const QUuid& current, const QUuid& other)>;
using Edit = std::function<void(AppState&)>;
Q_DECLARE_METATYPE(TabOperation)
Q_DECLARE_METATYPE(Edit)

namespace {

[[nodiscard]] bool settle(const AppState& state)
{
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

QList<QUuid> textIds(const AppState& state)
{
    QList<QUuid> ids;
    for (const TextOverlay& text : state.currentTextOverlays())
        ids << text.id;
    return ids;
}

} // namespace

class TestTabHistory : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void tabChangesAndTheHistory_data()
    {
        QTest::addColumn<TabOperation>("operation");
        QTest::addColumn<bool>("currentChanges");
        QTest::newRow("select the other tab")
            << TabOperation([](AppState& s, const QUuid&, const QUuid& other) { s.selectTab(other); })
            << true;
        QTest::newRow("close the current tab")
            << TabOperation([](AppState& s, const QUuid& current, const QUuid&) { s.closeTab(current); })
            << true;
        QTest::newRow("close the other tab")
            << TabOperation([](AppState& s, const QUuid&, const QUuid& other) { s.closeTab(other); })
            << false;
    }
    // Two tabs with a text each; the current one has just gained a second
    // text, so its history holds one step. When another tab becomes current
    // that step no longer applies: undo must leave the new tab as it is and
    // nothing may stay selected. When the current tab stays, so does its step.
    void tabChangesAndTheHistory()
    {
        QFETCH(TabOperation, operation);
        QFETCH(bool, currentChanges);
        AppState state(m_home.path());
        const QUuid first = state.currentTabId().value();
        state.addTextOverlay();
        state.newTab();
        const QUuid second = state.currentTabId().value();
        state.addTextOverlay();
        state.selectTab(first);
        state.addTextOverlay(); // the step: one text before, two after
        QVERIFY(state.historyManager().canUndo() && state.selectedTextOverlayId());
        QVERIFY(settle(state));

        QList<std::pair<std::optional<QUuid>, bool>> heard; // current id and undo flag at each signal
        connect(&state, &AppState::currentTabIdChanged, [&] {
            heard.append({state.currentTabId(), state.historyManager().canUndo()});
        });
        operation(state, first, second);

        const QUuid expectedCurrent = currentChanges ? second : first;
        QCOMPARE(state.currentTabId(), expectedCurrent);
        // Listeners hear the change once, with the state already consistent.
        QCOMPARE(heard.size(), currentChanges ? 1 : 0);
        if (currentChanges)
            QCOMPARE(heard.first(), std::make_pair(std::optional(second), false));
        QCOMPARE(state.historyManager().canUndo(), !currentChanges);
        QCOMPARE(state.selectedTextOverlayId().has_value(), !currentChanges);

        const QList<QUuid> before = textIds(state);
        state.undo();
        QCOMPARE(textIds(state), currentChanges ? before : before.mid(0, 1));
        QVERIFY(settle(state));
    }

    // Each removal-area edit is one undo step: undo gives the areas back as
    // they were, redo as the edit left them.
    void removalAreaEditsAreUndoable_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("areasAfter");
        QTest::newRow("add an area") << Edit([](AppState& s) {
            s.addRemovalArea({0.5, 0.5, 0.2, 0.2}, RemovalMethod::solidColor);
        }) << 3;
        QTest::newRow("delete the first area")
            << Edit([](AppState& s) { s.deleteRemovalArea(s.currentRemovalAreas().first().id); }) << 1;
        QTest::newRow("delete the last area")
            << Edit([](AppState& s) { s.deleteRemovalArea(s.currentRemovalAreas().last().id); }) << 1;
    }
    void removalAreaEditsAreUndoable()
    {
        QFETCH(Edit, edit);
        QFETCH(int, areasAfter);
        AppState state(m_home.path());
        state.addRemovalArea({0.1, 0.1, 0.2, 0.2}, RemovalMethod::contentAware);
        state.addRemovalArea({0.6, 0.1, 0.2, 0.3}, RemovalMethod::solidColor);
        QVERIFY(settle(state));
        state.historyManager().clear();
        const QList<RemovalArea> before = state.currentRemovalAreas();

        edit(state);
        const QList<RemovalArea> after = state.currentRemovalAreas();
        QCOMPARE(after.size(), areasAfter);
        QVERIFY(state.historyManager().canUndo());
        state.undo();
        QCOMPARE(state.currentRemovalAreas(), before);
        state.redo();
        QCOMPARE(state.currentRemovalAreas(), after);
        QVERIFY(settle(state));
    }
};

QTEST_MAIN(TestTabHistory)
#include "tst_tab_history.moc"
