#include "app_state_fixtures.h"
#include "test_environment.h"

#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::test;

// Undo steps, selection and the reach of the history.
class TestAppStateEditing : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void undoRestoresTheDocument_data()
    {
        QTest::addColumn<Operation>("edit");
        Template chosen;
        chosen.settings.cornerRadius = 3;
        QTest::newRow("add text") << Operation([](AppState& s) { s.addTextOverlay(); });
        QTest::newRow("add shape") << Operation([](AppState& s) { s.addShapeOverlay(ShapeType::arrow); });
        QTest::newRow("add removal area") << Operation([](AppState& s) {
            s.addRemovalArea({0, 0, 0.5, 0.5}, RemovalMethod::contentAware);
        });
        QTest::newRow("delete text") << Operation(
            [](AppState& s) { s.deleteTextOverlay(s.currentTextOverlays()[0]); });
        QTest::newRow("delete shape")
            << Operation([](AppState& s) { s.deleteShapeOverlay(s.currentShapeOverlays()[0]); });
        QTest::newRow("delete removal area")
            << Operation([](AppState& s) { s.deleteRemovalArea(s.currentRemovalAreas()[0].id); });
        QTest::newRow("apply template") << Operation([chosen](AppState& s) { s.applyTemplate(chosen); });
        QTest::newRow("reset styling") << Operation([](AppState& s) { s.resetSettings(); });
    }
    void undoRestoresTheDocument()
    {
        QFETCH(Operation, edit);
        AppState state(m_home.path());
        prepareDocument(state);
        const HistoryState before = documentOf(state);
        edit(state);
        const HistoryState after = documentOf(state);
        QVERIFY(after != before);

        state.undo();
        QCOMPARE(documentOf(state), before);
        QVERIFY(state.isProcessing()); // undo composes again
        state.redo();
        QCOMPARE(documentOf(state), after);
        QVERIFY(!state.historyManager().canRedo());
        QVERIFY(settle(state));
    }

    void editsWithoutUndoStep_data()
    {
        QTest::addColumn<Operation>("edit");
        QTest::newRow("styling panel") << Operation([](AppState& s) {
            BeautySettings changed = s.settings();
            changed.cornerRadius += 5;
            s.setSettings(changed);
            s.processImage();
        });
        QTest::newRow("update text") << Operation([](AppState& s) {
            TextOverlay moved = s.currentTextOverlays()[0];
            moved.position = {0.9, 0.9};
            s.updateTextOverlay(moved);
        });
        QTest::newRow("update shape") << Operation([](AppState& s) {
            ShapeOverlay moved = s.currentShapeOverlays()[0];
            moved.endPoint = {1, 1};
            s.updateShapeOverlay(moved);
        });
    }
    void editsWithoutUndoStep()
    {
        QFETCH(Operation, edit);
        AppState state(m_home.path());
        prepareDocument(state);
        edit(state);
        const HistoryState edited = documentOf(state);
        QVERIFY(!state.historyManager().canUndo());
        state.undo();
        QCOMPARE(documentOf(state), edited);

        // With an undoable edit before it, undo goes back past this edit too.
        AppState second(m_home.path());
        prepareDocument(second);
        const HistoryState beforeAdd = documentOf(second);
        second.addTextOverlay();
        edit(second);
        QCOMPARE(second.historyManager().undoStack().size(), qsizetype(1));
        second.undo();
        QCOMPARE(documentOf(second), beforeAdd);
    }

    void operationsThatFindNothingComposeNothing_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::newRow("undo with empty history") << Operation([](AppState& s) { s.undo(); });
        QTest::newRow("redo with empty history") << Operation([](AppState& s) { s.redo(); });
        QTest::newRow("update text with unknown id")
            << Operation([](AppState& s) { s.updateTextOverlay(TextOverlay{}); });
        QTest::newRow("update shape with unknown id")
            << Operation([](AppState& s) { s.updateShapeOverlay(ShapeOverlay{}); });
        QTest::newRow("select unknown tab")
            << Operation([](AppState& s) { s.selectTab(QUuid::createUuid()); });
        QTest::newRow("delete selected text without selection")
            << Operation([](AppState& s) { s.deleteSelectedTextOverlay(); });
        QTest::newRow("delete selected shape whose id is gone") << Operation([](AppState& s) {
            s.setSelectedShapeOverlayId(QUuid::createUuid());
            s.deleteSelectedShapeOverlay();
        });
    }
    void operationsThatFindNothingComposeNothing()
    {
        QFETCH(Operation, operation);
        AppState state(m_home.path());
        prepareDocument(state);
        const HistoryState before = documentOf(state);
        QSignalSpy tabs(&state, &AppState::tabsChanged);
        QSignalSpy current(&state, &AppState::currentTabIdChanged);
        operation(state);
        QVERIFY(!state.isProcessing());
        QCoreApplication::processEvents();
        QCOMPARE(tabs.count(), 0);
        QCOMPARE(current.count(), 0);
        QCOMPARE(documentOf(state), before);
        QVERIFY(!state.historyManager().canUndo());
    }

    void deletingKeepsOrClearsTheSelection_data()
    {
        QTest::addColumn<bool>("shapes");
        QTest::addColumn<bool>("deleteSelected");
        QTest::addColumn<bool>("throughSelection"); // deleteSelected...() rather than delete...(overlay)
        QTest::newRow("text: delete the selected one") << false << true << false;
        QTest::newRow("text: delete another one") << false << false << false;
        QTest::newRow("text: delete selected") << false << true << true;
        QTest::newRow("shape: delete the selected one") << true << true << false;
        QTest::newRow("shape: delete another one") << true << false << false;
        QTest::newRow("shape: delete selected") << true << true << true;
    }
    void deletingKeepsOrClearsTheSelection()
    {
        QFETCH(bool, shapes);
        QFETCH(bool, deleteSelected);
        QFETCH(bool, throughSelection);
        AppState state(m_home.path());
        // Adding selects the new one and clears the other kind's selection.
        if (shapes) {
            state.addTextOverlay();
            state.addShapeOverlay();
            state.addShapeOverlay();
            QVERIFY(!state.selectedTextOverlayId());
        } else {
            state.addShapeOverlay();
            state.addTextOverlay();
            state.addTextOverlay();
            QVERIFY(!state.selectedShapeOverlayId());
        }
        const auto selected = shapes ? state.selectedShapeOverlayId() : state.selectedTextOverlayId();
        QCOMPARE(selected, shapes ? state.currentShapeOverlays()[1].id : state.currentTextOverlays()[1].id);

        const int index = deleteSelected ? 1 : 0;
        if (shapes)
            throughSelection ? state.deleteSelectedShapeOverlay()
                             : state.deleteShapeOverlay(state.currentShapeOverlays()[index]);
        else
            throughSelection ? state.deleteSelectedTextOverlay()
                             : state.deleteTextOverlay(state.currentTextOverlays()[index]);

        QCOMPARE(shapes ? state.currentShapeOverlays().size() : state.currentTextOverlays().size(),
                 qsizetype(1));
        const auto after = shapes ? state.selectedShapeOverlayId() : state.selectedTextOverlayId();
        QCOMPARE(after, deleteSelected ? std::nullopt : selected);
    }

    void historyLivesWithTheDocument_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<bool>("canUndo");
        QTest::newRow("new tab clears") << Operation([](AppState& s) { s.newTab(); }) << false;
        QTest::newRow("selecting a tab clears")
            << Operation([](AppState& s) { s.selectTab(s.tabs().last().id); }) << false;
        QTest::newRow("loading an image clears")
            << Operation([](AppState& s) { s.loadImage(solidImage(qRgb(4, 4, 4)), false); }) << false;
        QTest::newRow("closing another tab keeps")
            << Operation([](AppState& s) { s.closeTab(s.tabs().last().id); }) << true;
        QTest::newRow("pasting keeps") << Operation([](AppState& s) {
            s.setSourceImage(solidImage(qRgb(5, 5, 5)));
            s.processImage();
        }) << true;
    }
    void historyLivesWithTheDocument()
    {
        QFETCH(Operation, operation);
        QFETCH(bool, canUndo);
        AppState state(m_home.path());
        state.newTab();
        state.selectTab(state.tabs().first().id);
        state.addTextOverlay();
        QSignalSpy flag(&state.historyManager(), &HistoryManager::canUndoChanged);
        operation(state);
        QCOMPARE(state.historyManager().canUndo(), canUndo);
        QCOMPARE(flag.count(), canUndo ? 0 : 1);
        QVERIFY(settle(state));
    }
};

QTEST_MAIN(TestAppStateEditing)
#include "tst_app_state_editing.moc"
