// The window's project commands as the user meets them: Save Project and
// Save Project As from the keyboard, the modified marks, the questions
// before a tab or the window closes, Open with several files and Open
// Recent. Project files are held by a fake; the format has tests of its own.
#include "fake_file_dialogs.h"
#include "fake_project_storage.h"
#include "model/id_lookup.h"
#include "state/app_state.h"
#include "state/file_opener.h"
#include "state/recent_files.h"
#include "test_fixtures.h"
#include "ui/file_commands.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/tab_item.h"
#include "ui_fixtures.h"

#include <QtTest>
#include <QtWidgets>

using namespace lustrelab;
using Answer = FileDialogs::Answer;

Q_DECLARE_METATYPE(lustrelab::FileDialogs::Answer)

namespace {

[[nodiscard]] bool settle(const AppState& state)
{
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<test::FakeProjectStorage> m_storage;
    test::FakeFileDialogs m_dialogs;
    std::unique_ptr<MainWindow> m_window;

    QString path(const QString& name) const { return m_home.filePath(name); }
    QStringList paths(const QStringList& names) const
    {
        return test::mapped(names, [this](const QString& name) { return path(name); });
    }
    void press(const QString& keys) { QTest::keySequence(m_window.get(), QKeySequence(keys)); }
    // The strip's item for the tab at `index`.
    TabItem* item(int index) const
    {
        for (TabItem* item : m_window->findChildren<TabItem*>())
            if (item->tabId() == m_state->tabs()[index].id)
                return item;
        return nullptr;
    }
    // A tab of its own with a composed image and a text on it.
    void makeTab(QColor colour, const QString& name)
    {
        m_state->loadImage(test::solidImage(60, 40, colour), true, name);
        m_state->addTextOverlay();
        QVERIFY(settle(*m_state));
    }
    // Ctrl+S on the current tab, named `name` in the dialog where it asks.
    void save(const QString& name, qsizetype writes)
    {
        m_dialogs.savePaths = {path(name)};
        press(QStringLiteral("Ctrl+S"));
        QVERIFY(savesReported(writes));
    }
    // The title the desktop shows (the window's own keeps its placeholder).
    bool titleMarked() const { return m_window->windowHandle()->title().endsWith(u'*'); }
    // Waits for the saves under way to be reported.
    [[nodiscard]] bool savesReported(qsizetype writes)
    {
        const bool written = QTest::qWaitFor([&] { return m_storage->writes().size() >= writes; }, 5000);
        QTest::qWait(50); // the report crosses the event loop
        return written;
    }

  private slots:
    void init()
    {
        m_dialogs = {};
        m_storage = std::make_unique<test::FakeProjectStorage>();
        m_state = std::make_unique<AppState>(m_home.path());
        m_window = std::make_unique<MainWindow>(*m_state, nullptr, m_storage.get(), &m_dialogs);
        m_window->setAutomaticPasteEnabled(false);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->fileCommands().recentFiles().clear();
    }
    void cleanup()
    {
        m_window.reset();
        m_state.reset();
        m_storage.reset();
    }

    void saving_data()
    {
        QTest::addColumn<QStringList>("keys");    // pressed one after the other
        QTest::addColumn<QStringList>("names");   // the names the user gives, in order
        QTest::addColumn<QStringList>("written"); // the files written, in order
        QTest::addColumn<QString>("tabName");
        QTest::newRow("the first save asks for a name; the suffix is added")
            << QStringList{"Ctrl+S"} << QStringList{"plan"} << QStringList{"plan.lustrelab"}
            << "plan.lustrelab";
        QTest::newRow("the second save writes the same file without asking")
            << QStringList{"Ctrl+S", "Ctrl+S"} << QStringList{"plan.lustrelab"}
            << QStringList{"plan.lustrelab", "plan.lustrelab"} << "plan.lustrelab";
        QTest::newRow("save as asks every time")
            << QStringList{"Ctrl+S", "Ctrl+Shift+S"} << QStringList{"a.lustrelab", "b.lustrelab"}
            << QStringList{"a.lustrelab", "b.lustrelab"} << "b.lustrelab";
        QTest::newRow("a cancelled name writes nothing")
            << QStringList{"Ctrl+S"} << QStringList{} << QStringList{} << "shot.png";
    }
    // Keys in the window, names in the dialog; afterwards the tab is named
    // after its file and carries no mark, nor does the title.
    void saving()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, names);
        QFETCH(QStringList, written);
        QFETCH(QString, tabName);
        m_state->loadImage(test::solidImage(60, 40, Qt::red), false, QStringLiteral("shot.png"));
        QVERIFY(settle(*m_state));
        QVERIFY(item(0)->isMarkedModified());
        QVERIFY(titleMarked());
        m_dialogs.savePaths = paths(names);
        for (const QString& key : keys) {
            const qsizetype before = m_storage->writes().size();
            press(key);
            QVERIFY(savesReported(before + (written.size() > before ? 1 : 0)));
        }
        QCOMPARE(m_storage->writes(), paths(written));
        // Proposed in the pictures folder under the tab's name, then the file's own.
        QVERIFY(m_dialogs.proposed.value(0).endsWith(u"/shot.lustrelab"));
        QCOMPARE(m_dialogs.proposed.size(), names.isEmpty() ? 1 : names.size());
        QCOMPARE(m_state->currentTab()->name, tabName);
        QCOMPARE(item(0)->isMarkedModified(), written.isEmpty());
        QCOMPARE(titleMarked(), written.isEmpty());
    }

    // The mark follows the document, not the history of edits: a change
    // marks the tab, undoing back to what was saved clears it again, and an
    // edit made while the file is being written still counts as unsaved.
    void modifiedMark()
    {
        makeTab(Qt::blue, QStringLiteral("one"));
        save(QStringLiteral("one.lustrelab"), 1);
        QVERIFY(!item(1)->isMarkedModified());
        m_state->setSettings({.cornerRadius = 3}); // a styling panel's change
        QVERIFY(item(1)->isMarkedModified() && titleMarked());
        m_state->addTextOverlay();
        m_state->undo();
        QVERIFY(item(1)->isMarkedModified()); // the radius is still changed
        m_state->setSettings(m_storage->stored(path(QStringLiteral("one.lustrelab")))->settings);
        QVERIFY(!item(1)->isMarkedModified() && !titleMarked());

        m_storage->holdWrites();
        press(QStringLiteral("Ctrl+S"));
        m_state->addTextOverlay(); // while the file is being written
        m_storage->release();
        QVERIFY(savesReported(2));
        QVERIFY(item(1)->isMarkedModified());
        QVERIFY(settle(*m_state));
    }

    void closingATab_data()
    {
        QTest::addColumn<bool>("savedFirst");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("writes");
        QTest::newRow("Save") << false << Answer::save << false << true << 1;
        QTest::newRow("Save, and the write fails") << false << Answer::save << true << false << 1;
        QTest::newRow("Don't Save") << false << Answer::discard << false << true << 0;
        QTest::newRow("Cancel") << false << Answer::cancel << false << false << 0;
        QTest::newRow("nothing unsaved: no question") << true << Answer::cancel << false << true << 1;
    }
    // Ctrl+W on a tab with unsaved changes asks first; the tab goes only
    // when the answer (and the save it asked for) lets it.
    void closingATab()
    {
        QFETCH(bool, savedFirst);
        QFETCH(Answer, answer);
        QFETCH(bool, writeFails);
        QFETCH(bool, closed);
        makeTab(Qt::green, QStringLiteral("green"));
        if (savedFirst)
            save(QStringLiteral("green.lustrelab"), 1);
        const QUuid id = m_state->currentTabId().value();
        m_dialogs.answers = {answer};
        m_dialogs.savePaths = {path(QStringLiteral("green.lustrelab"))};
        if (writeFails)
            m_storage->failWith(QStringLiteral("No space left on device"));
        press(QStringLiteral("Ctrl+W"));
        QCOMPARE(m_dialogs.askedAbout,
                 savedFirst ? QList<QStringList>() : QList<QStringList>{{QStringLiteral("green")}});
        QFETCH(int, writes);
        QTRY_COMPARE(int(m_storage->writes().size()), writes);
        QTest::qWait(100);
        QCOMPARE(recordWithId(m_state->tabs(), id) == nullptr, closed);
        QCOMPARE(m_dialogs.errors.size(), writeFails ? 1 : 0);
        if (writeFails)
            QVERIFY(m_dialogs.errors[0].contains(u"No space left on device"));
    }

    void quitting_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("writes");
        QTest::newRow("Save: both written, then the window closes") << Answer::save << false << true << 2;
        QTest::newRow("Save, and the writes fail: it stays") << Answer::save << true << false << 2;
        QTest::newRow("Don't Save") << Answer::discard << false << true << 0;
        QTest::newRow("Cancel") << Answer::cancel << false << false << 0;
    }
    // Ctrl+Q with two changed tabs asks once, listing both; "Save" names the
    // one that has no file yet and writes the other to its own.
    void quitting()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, writeFails);
        QFETCH(bool, closes);
        makeTab(Qt::red, QStringLiteral("red"));
        save(QStringLiteral("red.lustrelab"), 1);
        m_state->addTextOverlay();
        makeTab(Qt::blue, QStringLiteral("blue"));
        const qsizetype before = m_storage->writes().size();
        m_dialogs.answers = {answer};
        m_dialogs.savePaths = {path(QStringLiteral("blue.lustrelab"))};
        if (writeFails)
            m_storage->failWith(QStringLiteral("No space left on device"));

        m_window->close(); // what Ctrl+Q and the title bar's close button do first
        QCOMPARE(m_dialogs.askedAbout,
                 (QList<QStringList>{{QStringLiteral("red.lustrelab"), QStringLiteral("blue")}}));
        QTest::qWait(200);
        QTEST(int(m_storage->writes().size() - before), "writes");
        QCOMPARE(!m_window->isVisible(), closes);
        QCOMPARE(m_dialogs.errors.isEmpty(), !writeFails);
        if (answer == Answer::save && !writeFails)
            QVERIFY(!m_state->tabs()[1].isModified() && !m_state->tabs()[2].isModified());
    }

    // Open takes several files at once, each into a tab of its own in the
    // order chosen: an image, a project (named after its file, unmodified)
    // and a file that is neither, which is reported and opens nothing. The
    // files opened come first in Open Recent and in the desktop's list.
    void openingSeveral()
    {
        const QString image = path(QStringLiteral("red.png"));
        QVERIFY(test::solidImage(30, 20, Qt::red).save(image));
        Document document;
        document.screenshot = test::solidImage(40, 20, Qt::blue);
        document.settings.cornerRadius = 5;
        const QString project = path(QStringLiteral("blue.lustrelab"));
        m_storage->put(project, document);
        const QString broken = path(QStringLiteral("broken.png"));
        QVERIFY(test::writeFile(broken, "not an image"));
        m_dialogs.openLists = {{image, project, broken}};

        press(QStringLiteral("Ctrl+O"));
        QTRY_VERIFY(!m_window->fileCommands().opener().isBusy());
        QCOMPARE(test::mapped(m_state->tabs(), &ScreenshotTab::name),
                 (QStringList{"red.png", "blue.lustrelab"}));
        QVERIFY(item(0)->isMarkedModified() && !item(1)->isMarkedModified());
        QCOMPARE(m_state->currentTab()->document.settings.cornerRadius, 5.0);
        QCOMPARE(m_dialogs.errors.size(), 1);
        QVERIFY(m_dialogs.errors[0].contains(u"broken.png"));
        QCOMPARE(m_window->fileCommands().recentFiles().files(), (QStringList{project, image}));
        QTRY_VERIFY(test::readFile(m_home.dataHome() + QStringLiteral("/recently-used.xbel"))
                        .contains("blue.lustrelab"));

        // Open Recent lists them, newest first; choosing one that is open brings its tab forward.
        auto* recent = m_window->findChild<QMenu*>(QStringLiteral("openRecent"));
        QVERIFY(recent);
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().value(0)->data().toString(), project);
        QCOMPARE(recent->actions().value(1)->data().toString(), image);
        m_state->selectTab(m_state->tabs()[0].id);
        recent->actions()[0]->trigger();
        QTRY_COMPARE(m_state->currentTab()->name, QStringLiteral("blue.lustrelab"));
        QCOMPARE(m_state->tabs().size(), 2);
    }

    // The desktop's question itself: its three answers, as the user sees them.
    void theQuestion_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Save") << "Save" << Answer::save;
        QTest::newRow("Don't Save") << "Don't Save" << Answer::discard;
        QTest::newRow("Cancel") << "Cancel" << Answer::cancel;
    }
    void theQuestion()
    {
        QFETCH(QString, button);
        QFETCH(Answer, answer);
        StandardFileDialogs dialogs;
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                shown.append(b->text().remove(u'&')); // the mnemonic's mark is not shown
                if (shown.last() == button)
                    chosen = b;
            }
            QVERIFY(chosen);
            chosen->click();
        });
        QCOMPARE(dialogs.askToSave(m_window.get(), {QStringLiteral("one"), QStringLiteral("two")}), answer);
        shown.sort();
        QCOMPARE(shown, (QStringList{"Cancel", "Don't Save", "Save"}));
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_file_commands.moc"
