#include "state/app_state.h"
#include "test_environment.h"

#include <QMetaProperty>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace lustrelab;

namespace {

using Operation = std::function<void(AppState&)>;

QImage solidImage(QRgb color)
{
    QImage image(40, 30, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

QImage comparable(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

HistoryState documentOf(const AppState& state)
{
    return {state.settings(), state.currentTextOverlays(), state.currentShapeOverlays(),
            state.currentRemovalAreas()};
}

// Runs queued compositions until none is pending.
void settle(AppState& state)
{
    QTRY_VERIFY(!state.isProcessing());
    QCoreApplication::processEvents();
}

QList<QUuid> tabIds(const AppState& state)
{
    QList<QUuid> ids;
    for (const ScreenshotTab& tab : state.tabs())
        ids << tab.id;
    return ids;
}

} // namespace

class TestAppState : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

    // A tab with an image, edited styling and one annotation of each kind,
    // none of it in the history.
    void prepareDocument(AppState& state)
    {
        state.setSourceImage(solidImage(qRgb(10, 20, 30)));
        BeautySettings edited;
        edited.cornerRadius = 30;
        edited.backgroundType = BackgroundType::solid;
        state.setSettings(edited);
        TextOverlay text;
        text.text = QStringLiteral("existing");
        state.setCurrentTextOverlays({text});
        state.setCurrentShapeOverlays({ShapeOverlay{}});
        state.setCurrentRemovalAreas({RemovalArea{}});
    }

  private slots:
    void init() { QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear(); }

    void closeTab_data()
    {
        QTest::addColumn<int>("tabCount");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("closing");
        QTest::addColumn<int>("expectedCurrent"); // position before closing
        QTest::newRow("the only tab is kept") << 1 << 0 << 0 << 0;
        QTest::newRow("current middle tab: the last becomes current") << 3 << 1 << 1 << 2;
        QTest::newRow("current first tab: the last becomes current") << 3 << 0 << 0 << 2;
        QTest::newRow("current last tab: the new last becomes current") << 3 << 2 << 2 << 1;
        QTest::newRow("another tab: the current one stays") << 3 << 0 << 1 << 0;
    }
    void closeTab()
    {
        QFETCH(int, tabCount);
        QFETCH(int, current);
        QFETCH(int, closing);
        QFETCH(int, expectedCurrent);
        AppState state(m_home.path());
        for (int i = 1; i < tabCount; ++i)
            state.newTab();
        const QList<QUuid> ids = tabIds(state);
        state.selectTab(ids[current]);
        state.addTextOverlay();
        const auto selection = state.selectedTextOverlayId();

        state.closeTab(ids[closing]);
        QCOMPARE(state.tabs().size(), qsizetype(std::max(1, tabCount - 1)));
        QCOMPARE(state.currentTabId(), std::optional(ids[expectedCurrent]));
        QVERIFY(!tabIds(state).contains(ids[closing]) || tabCount == 1);
        // Closing is not an edit of the remaining document.
        QVERIFY(state.historyManager().canUndo());
        QCOMPARE(state.selectedTextOverlayId(), selection);
    }

    void loadImage_data()
    {
        QTest::addColumn<bool>("currentHasImage");
        QTest::addColumn<bool>("asNewTab");
        QTest::addColumn<QString>("expectedName");
        const QString timed = QStringLiteral("^Screenshot \\d\\d:\\d\\d:\\d\\d$");
        QTest::newRow("drop on the empty start tab fills it") << false << false << "^New Tab$";
        QTest::newRow("drop on a tab with an image opens a tab") << true << false << timed;
        QTest::newRow("capture on the empty start tab opens a tab") << false << true << timed;
        QTest::newRow("capture on a tab with an image opens a tab") << true << true << timed;
    }
    void loadImage()
    {
        QFETCH(bool, currentHasImage);
        QFETCH(bool, asNewTab);
        QFETCH(QString, expectedName);
        AppState state(m_home.path());
        state.addTextOverlay();
        state.addShapeOverlay();
        if (currentHasImage)
            state.setSourceImage(solidImage(qRgb(1, 2, 3)));
        const QImage image = solidImage(qRgb(200, 100, 50));

        state.loadImage(image, asNewTab);
        const bool opened = currentHasImage || asNewTab;
        QCOMPARE(state.tabs().size(), qsizetype(opened ? 2 : 1));
        QCOMPARE(state.currentTabIndex().value_or(-1), state.tabs().size() - 1);
        const ScreenshotTab* tab = state.currentTab();
        QVERIFY(QRegularExpression(expectedName).match(tab->name).hasMatch());
        QCOMPARE(tab->sourceImage.value_or(QImage()), image);
        QVERIFY(tab->textOverlays.isEmpty() && tab->shapeOverlays.isEmpty());
        QVERIFY(!state.selectedTextOverlayId() && !state.selectedShapeOverlayId());
        QVERIFY(!state.historyManager().canUndo());
        if (opened) // the earlier tab keeps its document
            QCOMPARE(state.tabs().first().textOverlays.size(), 1);
        settle(state);
        QVERIFY(state.currentTab()->processedImage);
    }

    void composesOncePerCallInCallOrder()
    {
        AppState state(m_home.path());
        const QList<QImage> sources{solidImage(qRgb(255, 0, 0)), solidImage(qRgb(0, 255, 0)),
                                    solidImage(qRgb(0, 0, 255))};
        QList<QImage> stored;
        connect(&state, &AppState::tabsChanged, [&] {
            if (state.currentTab()->processedImage)
                stored << comparable(*state.currentTab()->processedImage);
        });
        // Each call takes the source of its moment; the source changes between calls.
        for (const QImage& source : sources) {
            state.setSourceImage(source);
            state.processImage();
        }
        QVERIFY(state.isProcessing());
        QVERIFY(stored.isEmpty()); // nothing composes before the caller returns to the event loop
        settle(state);

        ImageProcessor reference;
        QList<QImage> expected;
        for (const QImage& source : sources)
            expected << comparable(reference.process(source, state.settings(), {}, {}, {}));
        QCOMPARE(stored, expected);
        QCOMPARE(comparable(*state.currentTab()->processedImage), expected.last());
    }

    void composesWithTheSettingsOfTheMomentItRuns()
    {
        AppState state(m_home.path());
        const QImage source = solidImage(qRgb(90, 90, 90));
        state.setSourceImage(source);
        state.processImage();
        BeautySettings later;
        later.padding = 8;
        later.backgroundType = BackgroundType::solid;
        state.setSettings(later);
        state.addRemovalArea({0.1, 0.1, 0.2, 0.2}, RemovalMethod::solidColor);
        settle(state);
        ImageProcessor reference;
        QCOMPARE(comparable(*state.currentTab()->processedImage),
                 comparable(reference.process(source, later, {}, {}, state.currentRemovalAreas())));
    }

    void composingWithoutASourceClearsTheResult()
    {
        AppState state(m_home.path());
        state.setProcessedImage(solidImage(qRgb(1, 1, 1)));
        state.processImage();
        QVERIFY(!state.currentTab()->processedImage);
        QVERIFY(!state.isProcessing());
    }

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
        settle(state);
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
        settle(state);
    }

    void collapsedSectionsPersist_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("byDefault");
        const QList<std::pair<const char*, bool>> sections{
            {"capture", false}, {"canvas", false}, {"device", true},  {"background", false},
            {"corners", true},  {"shadow", false}, {"padding", true}, {"text", true},
            {"shapes", true},   {"export", false}};
        for (const auto& [name, byDefault] : sections)
            QTest::newRow(name) << QByteArray(name) + "Collapsed"
                                << QStringLiteral("section.%1.collapsed").arg(QLatin1StringView(name))
                                << byDefault;
    }
    void collapsedSectionsPersist()
    {
        QFETCH(QByteArray, property);
        QFETCH(QString, key);
        QFETCH(bool, byDefault);
        const QSettings store(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"));
        {
            AppState state(m_home.path());
            QCOMPARE(state.property(property).toBool(), byDefault);
            const QMetaProperty meta =
                state.metaObject()->property(state.metaObject()->indexOfProperty(property));
            QSignalSpy changed(&state, meta.notifySignal());
            QVERIFY(state.setProperty(property, !byDefault));
            QCOMPARE(changed.count(), 1);
            QCOMPARE(store.value(key).toBool(), !byDefault);
        }
        QCOMPARE(AppState(m_home.path()).property(property).toBool(), !byDefault);
    }
};

QTEST_MAIN(TestAppState)
#include "tst_app_state.moc"
