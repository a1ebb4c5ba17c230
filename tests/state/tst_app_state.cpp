#include "record_printers.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace lustrelab;
using Operation = std::function<void(AppState&)>;
using TabOperation = std::function<void(AppState&, const QUuid& current, const QUuid& other)>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(TabOperation)

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
    return {state.settings(),
            state.currentTextOverlays(),
            state.currentShapeOverlays(),
            state.currentRemovalAreas(),
            state.currentStepMarkers(),
            state.currentPenStrokes(),
            state.currentCrop()};
}

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

QImage opaque(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_RGB32);
    converted.setDevicePixelRatio(1);
    return converted;
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
        state.addStepMarker(StepMarker{});
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
        QVERIFY(tab->textOverlays.isEmpty() && tab->stepMarkers.isEmpty());
        QVERIFY(!state.selectedTextOverlayId() && !state.selectedStepMarkerId());
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

    // A composition under way must not land in another tab once its own is
    // closed, and a screenshot taken away must not come back with it. (That it
    // lands in its own tab whichever is current is checked above.)
    void aPendingCompositionIsDropped_data()
    {
        QTest::addColumn<bool>("closeTab"); // else remove the screenshot
        QTest::newRow("close the composed tab") << true;
        QTest::newRow("remove the screenshot") << false;
    }
    void aPendingCompositionIsDropped()
    {
        QFETCH(bool, closeTab);
        AppState state(m_home.path());
        state.loadImage(test::solidImage(40, 30, qRgb(200, 10, 10)), false);
        QVERIFY(settle(state));
        const QUuid composed = state.currentTab()->id;
        state.setProcessedImage(std::nullopt);
        state.processImage();
        if (closeTab) {
            state.newTab();
            state.closeTab(composed);
        } else {
            state.setSourceImage(std::nullopt);
            state.processImage();
        }
        QVERIFY(settle(state));
        for (const ScreenshotTab& tab : state.tabs())
            QVERIFY(!tab.processedImage);
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
        const auto row = [](const char* name, bool changes, bool undoable, Operation edit) {
            QTest::newRow(name) << edit << changes << undoable;
        };
        row("add text", true, true, [](AppState& s) { s.addTextOverlay(); });
        row("delete the selected text", true, true, [](AppState& s) { s.deleteSelectedTextOverlay(); });
        row("apply template", true, true, [](AppState& s) { s.applyTemplate(Template{}); });
        row("styling panel", true, false, [](AppState& s) {
            s.setSettings({});
            s.processImage();
        });
        row("add a removal area", true, true, [](AppState& s) {
            s.addRemovalArea({0.5, 0.5, 0.2, 0.2}, RemovalMethod::solidColor);
        });
        row("delete a removal area", true, true,
            [](AppState& s) { s.deleteRemovalArea(s.currentRemovalAreas().last().id); });
        row("update text with unknown id", false, false,
            [](AppState& s) { s.updateTextOverlay(TextOverlay{}); });
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
        state.setCurrentRemovalAreas({RemovalArea{.rect = {0.1, 0.1, 0.2, 0.2}}, RemovalArea{}});
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
    // The undo history belongs to the current tab. Two tabs with a text each;
    // the current one has just gained a second text, so its history holds one
    // step. When another tab becomes current that step no longer applies: undo
    // must leave the new tab as it is and nothing may stay selected. When the
    // current tab stays, so does its step.
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

        QCOMPARE(state.currentTabId(), currentChanges ? second : first);
        // Listeners hear the change once, with the state already consistent.
        using Heard = decltype(heard);
        QCOMPARE(heard, (currentChanges ? Heard{{second, false}} : Heard{}));
        QCOMPARE(state.historyManager().canUndo(), !currentChanges);
        QCOMPARE(state.selectedTextOverlayId().has_value(), !currentChanges);
        const QList<QUuid> before = textIds(state);
        state.undo();
        QCOMPARE(textIds(state), currentChanges ? before : before.mid(0, 1));
        QVERIFY(settle(state));
    }

    // The window's export: reports come on the event loop in the order asked,
    // however long each write takes, a failure with its reason, and each file
    // holds the image composed when it was asked for.
    void exportsReportInTheOrderAsked()
    {
        QTemporaryDir dir;
        AppState state(m_home.path());
        QList<QUrl> order;
        QStringList errors;
        connect(&state, &AppState::exportFinished, [&](const QUrl& url, const QString& error) {
            order << url;
            errors << error;
        });
        QList<QUrl> asked;
        for (const char* name : {"nothing.png", "large.png", "no/folder.png", "small.png"})
            asked << QUrl::fromLocalFile(dir.filePath(QString::fromLatin1(name)));
        state.exportImageInBackground(asked[0], ExportFormat::png, 1.0); // nothing composed yet
        state.setProcessedImage(test::solidImage(1600, 1200, qRgb(250, 0, 0)));
        state.exportImageInBackground(asked[1], ExportFormat::png, 3.0);
        state.setProcessedImage(test::solidImage(40, 30, qRgb(0, 0, 250))); // not the large one's
        state.exportImageInBackground(asked[2], ExportFormat::png, 1.0);
        state.exportImageInBackground(asked[3], ExportFormat::png, 2.0);
        asked << QUrl(QStringLiteral("https://example.org/shot.png")); // not a local file
        state.exportImageInBackground(asked[4], ExportFormat::png, 1.0);
        QVERIFY(order.isEmpty()); // never inside the call

        QTRY_COMPARE(order, asked);
        QList<bool> written;
        for (const QString& error : errors)
            written << error.isEmpty();
        QCOMPARE(written, QList<bool>({false, true, false, true, false}));
        QVERIFY(!QFile::exists(asked[0].toLocalFile()));
        QCOMPARE(opaque(QImage(asked[1].toLocalFile())),
                 opaque(test::solidImage(4800, 3600, qRgb(250, 0, 0))));
        QCOMPARE(opaque(QImage(asked[3].toLocalFile())), opaque(test::solidImage(80, 60, qRgb(0, 0, 250))));
    }
};

QTEST_MAIN(TestAppState)
#include "tst_app_state.moc"
