// The session kept on disk while the window runs: what is written, when a
// tab's project is written again, what a later start gets back, and that a
// clean quit leaves nothing behind. Project files are held by a fake.
#include "fake_project_storage.h"
#include "record_printers.h"
#include "state/app_state.h"
#include "state/session_store.h"
#include "test_fixtures.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;

namespace {

[[nodiscard]] bool settle(const AppState& state)
{
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

struct Shown
{
    QString name;
    QRgb colour;
    int texts;
    bool modified;
    friend bool operator==(const Shown&, const Shown&) = default;
};

QList<Shown> shown(const AppState& state)
{
    QList<Shown> tabs;
    for (const ScreenshotTab& tab : state.tabs())
        tabs.append({tab.name, tab.hasImage() ? tab.document.screenshot.pixel(0, 0) : 0,
                     int(tab.annotations().textOverlays.size()), tab.isModified()});
    return tabs;
}

} // namespace

namespace QTest {
template <> char* toString(const Shown& s)
{
    return qstrdup(qPrintable(QStringLiteral("%1 %2 texts=%3 modified=%4")
                                  .arg(s.name)
                                  .arg(s.colour, 0, 16)
                                  .arg(s.texts)
                                  .arg(s.modified)));
}
} // namespace QTest

class TestSession : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;
    test::FakeProjectStorage m_storage;

    QString folder() const { return m_home.filePath(QStringLiteral("state/lustrelab/session")); }

    // Three tabs: a saved one, an image never saved, and one saved but changed since.
    void makeTabs(AppState& state)
    {
        state.loadImage(test::solidImage(30, 20, Qt::red), false, QStringLiteral("red.png"));
        state.addTextOverlay();
        state.markSaved(state.currentTabId().value(), m_home.filePath(QStringLiteral("red.lustrelab")),
                        state.currentTab()->document);
        state.loadImage(test::solidImage(30, 20, Qt::green), true, QStringLiteral("green.png"));
        state.loadImage(test::solidImage(30, 20, Qt::blue), true, QStringLiteral("blue.png"));
        state.markSaved(state.currentTabId().value(), m_home.filePath(QStringLiteral("blue.lustrelab")),
                        state.currentTab()->document);
        state.addTextOverlay();
        state.addTextOverlay();
        state.selectTab(state.tabs()[1].id); // green is current
    }

  private slots:
    void init() { QDir(folder()).removeRecursively(); }

    void defaultFolderFollowsTheStateHome()
    {
        const QByteArray isolated = qgetenv("XDG_STATE_HOME");
        QCOMPARE(SessionStore::defaultFolder(), folder());
        qputenv("XDG_STATE_HOME", "relative/state"); // not absolute: ignored, as the rule says
        QCOMPARE(SessionStore::defaultFolder(), QDir::home().filePath(".local/state/lustrelab/session"));
        qunsetenv("XDG_STATE_HOME");
        QCOMPARE(SessionStore::defaultFolder(), QDir::home().filePath(".local/state/lustrelab/session"));
        qputenv("XDG_STATE_HOME", isolated);
    }

    // Written a moment after the changes stop; a later start puts every tab
    // back in its order, the current one current, modified marks included,
    // in place of the empty start tab.
    void aLaterStartGetsTheTabsBack()
    {
        QList<Shown> before;
        {
            AppState state(m_home.path());
            SessionStore store(state, m_storage, folder());
            store.follow();
            QSignalSpy written(&store, &SessionStore::written);
            makeTabs(state);
            QVERIFY(settle(state));
            before = shown(state);
            QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 5000); // one write for the whole burst
            QCOMPARE(written[0][0].toString(), QString());
        } // no clear(): the window went without a clean quit

        AppState later(m_home.path());
        SessionStore store(later, m_storage, folder());
        QSignalSpy restored(&store, &SessionStore::restored);
        store.restore();
        QTRY_COMPARE(restored.size(), 1);
        QCOMPARE(restored[0][0].toInt(), 3);
        QCOMPARE(shown(later), before);
        QCOMPARE(before[0].modified, false);
        QCOMPARE(before[1].modified, true);
        QCOMPARE(before[2].modified, true);
        QCOMPARE(later.currentTab()->name, QStringLiteral("green.png"));
        QCOMPARE(later.tabs()[2].filePath, m_home.filePath(QStringLiteral("blue.lustrelab")));
        QVERIFY(!later.historyManager().canUndo());
        QVERIFY(settle(later));
        for (const ScreenshotTab& tab : later.tabs()) // every tab shows its image again
            QVERIFY(tab.processedImage);
    }

    // A logout does not wait for the quiet time: what the tabs hold at that
    // moment, the change just made included, is on disk when flush returns.
    void aFlushWritesAtOnce()
    {
        QList<Shown> before;
        {
            AppState state(m_home.path());
            SessionStore store(state, m_storage, folder());
            store.follow();
            QSignalSpy written(&store, &SessionStore::written);
            makeTabs(state);
            QVERIFY(settle(state));
            QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 5000);
            state.addTextOverlay(); // within the quiet time
            before = shown(state);
            store.flush();
            QCOMPARE(written.size(), 2);
            QCOMPARE(written[1][0].toString(), QString());
        }
        AppState later(m_home.path());
        SessionStore store(later, m_storage, folder());
        QSignalSpy restored(&store, &SessionStore::restored);
        store.restore();
        QTRY_COMPARE(restored.size(), 1);
        QCOMPARE(shown(later), before);
    }

    // Only a tab whose document changed is written again, and a closed
    // tab's project goes from the folder.
    void onlyWhatChangedIsWritten()
    {
        AppState state(m_home.path());
        SessionStore store(state, m_storage, folder());
        store.follow();
        QSignalSpy written(&store, &SessionStore::written);
        const qsizetype earlier = m_storage.writes().size(); // the other tests'
        makeTabs(state);
        QVERIFY(settle(state));
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 5000);
        const qsizetype first = m_storage.writes().size();
        QCOMPARE(first - earlier, 3); // every tab's project

        state.addTextOverlay(); // on green
        QVERIFY(settle(state));
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 2, 5000);
        QCOMPARE(m_storage.writes().mid(first),
                 QStringList{QDir(folder()).filePath(state.tabs()[1].id.toString(QUuid::WithoutBraces) +
                                                     ".lustrelab")});
        state.selectTab(state.tabs()[0].id); // no document changed: nothing written but the index
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 3, 5000);
        QCOMPARE(m_storage.writes().size(), first + 1);

        const QUuid closed = state.tabs()[2].id;
        state.closeTab(closed);
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 4, 5000);
        QCOMPARE(QDir(folder()).entryList({"*.lustrelab"}).size(), 2);
        QVERIFY(
            !QFile::exists(QDir(folder()).filePath(closed.toString(QUuid::WithoutBraces) + ".lustrelab")));
        QVERIFY(settle(state));
    }

    // A clean quit leaves nothing to restore.
    void aCleanQuitLeavesNothing()
    {
        {
            AppState state(m_home.path());
            SessionStore store(state, m_storage, folder());
            store.follow();
            QSignalSpy written(&store, &SessionStore::written);
            makeTabs(state);
            QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 5000);
            state.addTextOverlay(); // a write is due when the quit comes
            store.clear();
            QTest::qWait(SessionStore::quietMs + 200);
            QVERIFY(settle(state));
        }
        QVERIFY(!QDir(folder()).exists());
        AppState later(m_home.path());
        SessionStore store(later, m_storage, folder());
        QSignalSpy restored(&store, &SessionStore::restored);
        store.restore();
        QTRY_COMPARE(restored.size(), 1);
        QCOMPARE(restored[0][0].toInt(), 0);
        QCOMPARE(later.tabs().size(), 1);
        QCOMPARE(later.tabs()[0].name, QStringLiteral("New Tab"));
    }

    void damagedSessions_data()
    {
        QTest::addColumn<QByteArray>("index"); // session.json as found
        QTest::addColumn<int>("tabs");
        const QByteArray good = "{\"format\":1,\"current\":0,\"tabs\":[";
        QTest::newRow("not JSON") << QByteArray("{\"format\":1,") << 0;
        QTest::newRow("a newer format") << QByteArray("{\"format\":2,\"current\":0,\"tabs\":[]}") << 0;
        QTest::newRow("one project missing, the other comes back")
            << good + "{\"name\":\"gone\",\"project\":\"gone.lustrelab\"},"
                      "{\"name\":\"kept\",\"project\":\"kept.lustrelab\"}]}"
            << 1;
        QTest::newRow("a path out of the folder is not followed")
            << good + "{\"name\":\"out\",\"project\":\"../outside.lustrelab\"}]}" << 0;
    }
    // Earlier versions wrote the tab ids braced and in lower case; those tabs
    // come back with their ids, so their projects are not written anew.
    void anEarlierIndexKeepsItsIds()
    {
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(test::writeFile(
            QDir(folder()).filePath("session.json"),
            R"({"format":1,"current":0,"tabs":[{"id":"{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00}",)"
            R"("name":"kept","project":"kept.lustrelab","filePath":"","modified":false}]})"));
        Document document;
        document.screenshot = test::solidImage(10, 10, Qt::red);
        m_storage.put(QDir(folder()).filePath("kept.lustrelab"), document);
        AppState state(m_home.path());
        SessionStore store(state, m_storage, folder());
        QSignalSpy restored(&store, &SessionStore::restored);
        store.restore();
        QTRY_COMPARE(restored.size(), 1);
        QCOMPARE(state.tabs().size(), 1);
        QCOMPARE(state.tabs()[0].id, QUuid::fromString(u"6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00"));
        QVERIFY(settle(state));
    }

    // Whatever a crash left, the start goes on with what can be read.
    void damagedSessions()
    {
        QFETCH(QByteArray, index);
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(test::writeFile(QDir(folder()).filePath("session.json"), index));
        Document document;
        document.screenshot = test::solidImage(10, 10, Qt::red);
        m_storage.put(QDir(folder()).filePath("kept.lustrelab"), document);
        m_storage.put(m_home.filePath("state/lustrelab/outside.lustrelab"), document);
        AppState state(m_home.path());
        SessionStore store(state, m_storage, folder());
        QSignalSpy restored(&store, &SessionStore::restored);
        store.restore();
        QTRY_COMPARE(restored.size(), 1);
        QTEST(restored[0][0].toInt(), "tabs");
        QVERIFY(settle(state));
    }
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"
