#include "state/history_manager.h"

#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;

namespace {

// Snapshots told apart by their corner radius.
HistoryState state(int n)
{
    HistoryState s;
    s.settings.cornerRadius = n;
    return s;
}

int radius(const std::optional<HistoryState>& s)
{
    return s ? int(s->settings.cornerRadius) : -1;
}

} // namespace

class TestHistoryManager : public QObject
{
    Q_OBJECT
  private slots:
    void keepsTheNewestFifty()
    {
        HistoryManager history;
        for (int n = 0; n <= 50; ++n)
            history.saveState(state(n));
        QCOMPARE(history.undoStack().size(), 50);
        QCOMPARE(radius(history.undoStack().first()), 1);

        for (int n = 50; n >= 1; --n) {
            QCOMPARE(radius(history.undo(state(100 + n))), n);
            QVERIFY(history.undoStack().size() + history.redoStack().size() <= HistoryManager::maxHistory);
        }
        QCOMPARE(radius(history.undo(state(999))), -1);
        QCOMPARE(history.redoStack().size(), 50);
        QVERIFY(!history.canUndo());
        QVERIFY(history.canRedo());
    }

    // Each script is a list of steps: sN saves state N, uN / rN undo / redo
    // with present state N, c clears. Results of undo and redo are collected
    // (-1 for nothing).
    void steps_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("canRedo");

        QTest::newRow("undo then redo returns the present given to undo")
            << QStringList{"s1", "s2", "u3", "r9"} << QList<int>{2, 3} << true << false;
        QTest::newRow("save after undo discards redo")
            << QStringList{"s1", "s2", "u3", "s4", "r9"} << QList<int>{2, -1} << true << false;
        QTest::newRow("undo on empty history leaves redo untouched")
            << QStringList{"s1", "u2", "u3", "u4"} << QList<int>{1, -1, -1} << false << true;
        QTest::newRow("redo of redo walks forward")
            << QStringList{"s1", "s2", "u3", "u2", "r1", "r2"} << QList<int>{2, 1, 2, 3} << true << false;
        QTest::newRow("clear empties both stacks")
            << QStringList{"s1", "s2", "u3", "c"} << QList<int>{2} << false << false;
        QTest::newRow("redo on empty history") << QStringList{"r1"} << QList<int>{-1} << false << false;
    }
    void steps()
    {
        QFETCH(QStringList, script);
        QFETCH(QList<int>, results);
        QFETCH(bool, canUndo);
        QFETCH(bool, canRedo);

        HistoryManager history;
        // The signals must track the flags exactly, so a menu bound to them
        // never shows a stale state.
        bool undoSeen = false;
        bool redoSeen = false;
        connect(&history, &HistoryManager::canUndoChanged, [&](bool v) { undoSeen = v; });
        connect(&history, &HistoryManager::canRedoChanged, [&](bool v) { redoSeen = v; });

        QList<int> got;
        for (const QString& step : script) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 's':
                history.saveState(state(n));
                break;
            case 'u':
                got.append(radius(history.undo(state(n))));
                break;
            case 'r':
                got.append(radius(history.redo(state(n))));
                break;
            case 'c':
                history.clear();
                break;
            }
            QCOMPARE(undoSeen, history.canUndo());
            QCOMPARE(redoSeen, history.canRedo());
            QCOMPARE(history.canUndo(), !history.undoStack().isEmpty());
            QCOMPARE(history.canRedo(), !history.redoStack().isEmpty());
        }
        QCOMPARE(got, results);
        QCOMPARE(history.canUndo(), canUndo);
        QCOMPARE(history.canRedo(), canRedo);
    }
};

QTEST_GUILESS_MAIN(TestHistoryManager)
#include "tst_history_manager.moc"
