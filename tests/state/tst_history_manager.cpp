#include "state/history_manager.h"

#include <QTest>
#include <numeric>

using namespace lustrelab;

namespace {

// Snapshots told apart by their corner radius; -1 stands for "nothing".
HistoryState state(int n)
{
    HistoryState snapshot;
    snapshot.settings.cornerRadius = double(n);
    return snapshot;
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
    // A script step sN saves state N, uN / rN undo / redo with present state N,
    // c clears; the results of undo and redo are collected.
    void steps_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("canRedo");
        QTest::newRow("undo then redo returns the present given to undo")
            << QStringList{"s1", "s2", "u3", "r9"} << QList<int>{2, 3} << true << false;
        QTest::newRow("save after undo empties redo")
            << QStringList{"s1", "s2", "u3", "s4", "r9"} << QList<int>{2, -1} << true << false;
        QTest::newRow("undo past the start keeps redo, which walks forward and back")
            << QStringList{"s1", "s2", "u3", "u2", "u1", "r1", "r2", "u7"} << QList<int>{2, 1, -1, 2, 3, 2}
            << true << true;
        QStringList fiftyOne;
        for (int n = 0; n <= 50; ++n)
            fiftyOne << QStringLiteral("s%1").arg(n);
        fiftyOne << QStringList(51, QStringLiteral("u99"));
        QList<int> undone(51, -1); // 50 down to 1, then nothing
        std::iota(undone.rbegin() + 1, undone.rend(), 1);
        QTest::newRow("51 saves keep the newest 50") << fiftyOne << undone << false << true;
        QTest::newRow("clear empties both")
            << QStringList{"s1", "s2", "u3", "c"} << QList<int>{2} << false << false;
    }
    void steps()
    {
        QFETCH(QStringList, script);
        QFETCH(bool, canUndo);
        QFETCH(bool, canRedo);
        HistoryManager history;
        // The signals must track the flags, so a menu bound to them is never stale.
        bool undoSeen = false, redoSeen = false;
        connect(&history, &HistoryManager::canUndoChanged, [&](bool v) { undoSeen = v; });
        connect(&history, &HistoryManager::canRedoChanged, [&](bool v) { redoSeen = v; });
        QList<int> got;
        for (const QString& step : script) {
            const int n = step.mid(1).toInt();
            if (step[0] == 's')
                history.saveState(state(n));
            else if (step[0] == 'u')
                got << radius(history.undo(state(n)));
            else if (step[0] == 'r')
                got << radius(history.redo(state(n)));
            else
                history.clear();
            QCOMPARE(undoSeen, history.canUndo());
            QCOMPARE(redoSeen, history.canRedo());
        }
        QTEST(got, "results");
        QCOMPARE(history.canUndo(), canUndo);
        QCOMPARE(history.canRedo(), canRedo);
    }
};

QTEST_GUILESS_MAIN(TestHistoryManager)
#include "tst_history_manager.moc"
