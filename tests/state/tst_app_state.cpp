#include "app_state_fixtures.h"
#include "test_environment.h"

#include <QMetaProperty>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::test;

class TestAppState : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

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
        QVERIFY(settle(state));
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
        QVERIFY(settle(state));

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
        QVERIFY(settle(state));
        ImageProcessor reference;
        QCOMPARE(comparable(*state.currentTab()->processedImage),
                 comparable(reference.process(source, later, {}, {}, state.currentRemovalAreas())));
    }

    // A tab switch (or close) while a composition waits must not hand one
    // tab's result to another tab.
    void aPendingCompositionStaysWithItsTab_data()
    {
        QTest::addColumn<bool>("closeTheComposedTab");
        QTest::newRow("switch to a new tab") << false;
        QTest::newRow("close the composed tab") << true;
    }
    void aPendingCompositionStaysWithItsTab()
    {
        QFETCH(bool, closeTheComposedTab);
        AppState state(m_home.path());
        state.loadImage(solidImage(qRgb(200, 10, 10)), false);
        QVERIFY(settle(state));
        const QUuid composed = state.currentTab()->id;
        state.setProcessedImage(std::nullopt);
        state.processImage();
        state.newTab();
        if (closeTheComposedTab)
            state.closeTab(composed);
        QVERIFY(settle(state));
        QVERIFY(!state.isProcessing());
        QVERIFY(!state.currentTab()->processedImage);
        for (const ScreenshotTab& tab : state.tabs())
            if (tab.id == composed)
                QVERIFY(tab.processedImage);
    }

    void composingWithoutASourceClearsTheResult()
    {
        AppState state(m_home.path());
        state.setProcessedImage(solidImage(qRgb(1, 1, 1)));
        state.processImage();
        QVERIFY(!state.currentTab()->processedImage);
        QVERIFY(!state.isProcessing());
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
