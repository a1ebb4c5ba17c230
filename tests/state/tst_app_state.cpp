#include "state/app_state.h"
#include "test_fixtures.h"

#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace lustrelab;
using Operation = std::function<void(AppState&)>;
Q_DECLARE_METATYPE(Operation)

// One processImage() call: which tab (by position) with which screenshot.
struct Ask
{
    int tab;
    QRgb color;
};
Q_DECLARE_METATYPE(QList<Ask>)

namespace {

// What an undo step holds.
HistoryState documentOf(const AppState& state)
{
    return {state.settings(), state.currentTextOverlays(), state.currentShapeOverlays(),
            state.currentRemovalAreas()};
}

[[nodiscard]] bool settle(const AppState& state)
{
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

} // namespace

class TestAppState : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void closeTab_data()
    {
        QTest::addColumn<int>("tabCount");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("closing");
        QTest::addColumn<int>("expectedCurrent"); // position before closing
        QTest::newRow("the only tab is kept") << 1 << 0 << 0 << 0;
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
        QList<QUuid> ids{state.currentTabId().value()};
        for (int i = 1; i < tabCount; ++i) {
            state.newTab();
            ids << state.currentTabId().value();
        }
        state.selectTab(ids[current]);
        state.closeTab(ids[closing]);
        QCOMPARE(state.tabs().size(), qsizetype(std::max(1, tabCount - 1)));
        QCOMPARE(state.currentTabId(), ids[expectedCurrent]);
    }

    void loadImage_data()
    {
        QTest::addColumn<bool>("currentHasImage");
        QTest::addColumn<bool>("asNewTab");
        QTest::addColumn<QString>("expectedName");
        const QString timed = QStringLiteral("^Screenshot \\d\\d:\\d\\d:\\d\\d$");
        QTest::newRow("drop on the empty start tab fills it") << false << false << "^New Tab$";
        QTest::newRow("drop on a tab with an image opens a tab") << true << false << timed;
        QTest::newRow("capture always opens a tab") << false << true << timed;
    }
    void loadImage()
    {
        QFETCH(bool, currentHasImage);
        QFETCH(bool, asNewTab);
        QFETCH(QString, expectedName);
        AppState state(m_home.path());
        state.addTextOverlay();
        if (currentHasImage)
            state.setSourceImage(test::solidImage(40, 30, qRgb(1, 2, 3)));
        const QImage image = test::solidImage(40, 30, qRgb(200, 100, 50));
        state.loadImage(image, asNewTab);

        const bool opened = currentHasImage || asNewTab;
        QCOMPARE(state.tabs().size(), qsizetype(opened ? 2 : 1));
        const ScreenshotTab* tab = state.currentTab();
        QVERIFY2(QRegularExpression(expectedName).match(tab->name).hasMatch(), qPrintable(tab->name));
        QCOMPARE(tab->sourceImage, image);
        // A fresh document: no annotations, selection or history.
        QVERIFY(tab->textOverlays.isEmpty() && !state.selectedTextOverlayId());
        QVERIFY(!state.historyManager().canUndo());
    }

    // Results are stored in call order, each in the tab it was asked for
    // whichever tab is current by then, from what the tab held at the call. A
    // request replaces the one still waiting for the same tab; the one already
    // running is stored first. isProcessing stays up until the last is stored.
    void compositionsAreStoredInCallOrder_data()
    {
        QTest::addColumn<QList<Ask>>("asks");
        QTest::addColumn<QList<Ask>>("stored");
        const Ask aRed{0, qRgb(255, 0, 0)}, aBlue{0, qRgb(0, 0, 255)}, aGreen{0, qRgb(0, 255, 0)},
            bGreen{1, qRgb(0, 255, 0)}, bWhite{1, qRgb(255, 255, 255)}, cBlue{2, qRgb(0, 0, 255)};
        QTest::newRow("one tab: the running one, then the latest")
            << QList<Ask>{aRed, aGreen, aBlue} << QList<Ask>{aRed, aBlue};
        QTest::newRow("other tabs keep their place")
            << QList<Ask>{aRed, bGreen, aBlue} << QList<Ask>{aRed, bGreen, aBlue};
        QTest::newRow("a replaced request moves behind later ones")
            << QList<Ask>{aRed, bGreen, cBlue, bWhite} << QList<Ask>{aRed, cBlue, bWhite};
    }
    void compositionsAreStoredInCallOrder()
    {
        QFETCH(QList<Ask>, asks);
        QFETCH(QList<Ask>, stored);
        AppState state(m_home.path());
        state.newTab();
        state.newTab();
        QList<QUuid> ids;
        for (const ScreenshotTab& tab : state.tabs())
            ids << tab.id;
        QList<std::pair<QUuid, QImage>> seen; // every stored composition, with its tab
        QList<bool> processingWhenStored;
        QHash<QUuid, qint64> shown;
        connect(&state, &AppState::tabsChanged, [&] {
            for (const ScreenshotTab& tab : state.tabs())
                if (tab.processedImage && shown.value(tab.id) != tab.processedImage->cacheKey()) {
                    shown[tab.id] = tab.processedImage->cacheKey();
                    seen.append({tab.id, *tab.processedImage});
                    processingWhenStored << state.isProcessing();
                }
        });
        QSignalSpy processing(&state, &AppState::isProcessingChanged);
        for (const Ask& ask : asks) {
            state.selectTab(ids[ask.tab]);
            state.setSourceImage(test::solidImage(40, 30, ask.color));
            state.processImage();
        }
        state.setSettings({.padding = 8}); // after the calls: not theirs
        state.selectTab(ids[1]);
        QVERIFY(settle(state));

        QList<std::pair<QUuid, QImage>> expected;
        for (const Ask& ask : stored)
            expected.append({ids[ask.tab],
                             ImageProcessor().process(test::solidImage(40, 30, ask.color), {}, {}, {}, {})});
        QCOMPARE(seen, expected);
        QCOMPARE(processingWhenStored, QList<bool>(stored.size(), true));
        QCOMPARE(processing.size(), 2); // up once, down once after the last
    }

    // A tab switch (or close) while a composition is under way must not hand
    // one tab's result to another tab, and a screenshot taken away must not
    // come back with a late result.
    void aPendingCompositionStaysWithItsTab_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("composedTabShowsIt");
        QTest::newRow("switch to a new tab") << "new tab" << true;
        QTest::newRow("close the composed tab") << "close" << false;
        QTest::newRow("remove the screenshot") << "remove" << false;
    }
    void aPendingCompositionStaysWithItsTab()
    {
        QFETCH(QString, then);
        QFETCH(bool, composedTabShowsIt);
        AppState state(m_home.path());
        state.loadImage(test::solidImage(40, 30, qRgb(200, 10, 10)), false);
        QVERIFY(settle(state));
        const QUuid composed = state.currentTab()->id;
        state.setProcessedImage(std::nullopt);
        state.processImage();
        if (then == QLatin1String("remove")) {
            state.setSourceImage(std::nullopt);
            state.processImage();
        } else {
            state.newTab();
        }
        if (then == QLatin1String("close"))
            state.closeTab(composed);
        QVERIFY(settle(state));
        bool shown = false;
        for (const ScreenshotTab& tab : state.tabs())
            shown = shown || tab.processedImage;
        QCOMPARE(shown, composedTabShowsIt);
        if (composedTabShowsIt)
            QVERIFY(!state.currentTab()->processedImage && state.tabs().constFirst().processedImage);
    }

    void collapsedSectionsPersist_data()
    {
        QTest::addColumn<bool>("byDefault"); // rows are named after the section
        for (const char* section : {"capture", "canvas", "background", "shadow", "export"})
            QTest::newRow(section) << false;
        for (const char* section : {"device", "corners", "padding", "text", "shapes"})
            QTest::newRow(section) << true;
    }
    void collapsedSectionsPersist()
    {
        QFETCH(bool, byDefault);
        const QByteArray section = QTest::currentDataTag(), property = section + "Collapsed";
        {
            AppState state(m_home.path());
            QCOMPARE(state.property(property).toBool(), byDefault);
            QVERIFY(state.setProperty(property, !byDefault));
        }
        const QSettings store(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"));
        QCOMPARE(store.value("section." + section + ".collapsed"), QVariant(!byDefault));
        QCOMPARE(AppState(m_home.path()).property(property).toBool(), !byDefault);
    }

    // Which edits leave an undo step, and what undo and redo then give back.
    void editsAndTheirUndoStep_data()
    {
        QTest::addColumn<Operation>("edit");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<bool>("undoable");
        QTest::newRow("add text") << Operation([](AppState& s) { s.addTextOverlay(); }) << true << true;
        QTest::newRow("delete the selected text")
            << Operation([](AppState& s) { s.deleteSelectedTextOverlay(); }) << true << true;
        QTest::newRow("apply template")
            << Operation([](AppState& s) { s.applyTemplate(Template{}); }) << true << true;
        QTest::newRow("styling panel") << Operation([](AppState& s) {
            s.setSettings({});
            s.processImage();
        }) << true << false;
        QTest::newRow("update text with unknown id")
            << Operation([](AppState& s) { s.updateTextOverlay(TextOverlay{}); }) << false << false;
    }
    void editsAndTheirUndoStep()
    {
        QFETCH(Operation, edit);
        QFETCH(bool, changes);
        QFETCH(bool, undoable);
        AppState state(m_home.path());
        state.setSourceImage(test::solidImage(40, 30, qRgb(10, 20, 30)));
        state.setSettings({.cornerRadius = 30});
        state.setCurrentTextOverlays({TextOverlay{}});
        state.setSelectedTextOverlayId(state.currentTextOverlays()[0].id);
        const HistoryState before = documentOf(state);
        QSignalSpy tabs(&state, &AppState::tabsChanged);
        edit(state);
        const HistoryState after = documentOf(state);
        QCOMPARE(after != before, changes);
        QCOMPARE(state.historyManager().canUndo(), undoable);
        if (!changes) // nothing found, nothing composed
            QVERIFY(tabs.isEmpty() && !state.isProcessing());
        // The selection never names a text that is gone.
        QCOMPARE(state.selectedTextOverlay().has_value(), state.selectedTextOverlayId().has_value());

        QVERIFY(settle(state));
        state.undo(); // with an empty history: no change
        QCOMPARE(documentOf(state), undoable ? before : after);
        QCOMPARE(state.isProcessing(), undoable); // undo composes again
        if (undoable) {
            state.redo();
            QCOMPARE(documentOf(state), after);
        }
        QVERIFY(settle(state));
    }
};

QTEST_MAIN(TestAppState)
#include "tst_app_state.moc"
