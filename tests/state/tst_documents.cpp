// A tab's document: its styling of its own, the one selection, deleting by
// reference, and a whole document opened into a tab.
#include "record_printers.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;

namespace {

[[nodiscard]] bool settle(const AppState& state)
{
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

// A document holding one annotation of every kind, and a crop.
Annotations everyKind()
{
    Annotations a;
    a.textOverlays = {TextOverlay{}};
    a.shapeOverlays = {ShapeOverlay{}};
    a.removalAreas = {RemovalArea{.rect = {0.1, 0.1, 0.2, 0.2}}};
    a.stepMarkers = {StepMarker{}, StepMarker{.number = 2}};
    a.penStrokes = {PenStroke{.points = {{0.1, 0.1}, {0.3, 0.4}}}};
    a.crop = UnitRect{0, 0, 0.5, 1};
    return a;
}

// The id of the first annotation of `kind` in `a`.
QUuid firstOf(const Annotations& a, AnnotationKind kind)
{
    QUuid id;
    forEachAnnotationList(a, [&](AnnotationKind k, const char*, const auto& list) {
        if (k == kind)
            id = list.first().id;
    });
    return id;
}

} // namespace

Q_DECLARE_METATYPE(lustrelab::AnnotationKind)

class TestDocuments : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;

  private slots:
    void deleting_data()
    {
        QTest::addColumn<AnnotationKind>("kind");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("selected");
        const std::pair<const char*, AnnotationKind> kinds[] = {
            {"text", AnnotationKind::text},
            {"shape", AnnotationKind::shape},
            {"removal area", AnnotationKind::removal},
            {"step marker", AnnotationKind::marker},
            {"pen stroke", AnnotationKind::stroke},
        };
        for (const auto& [name, kind] : kinds) {
            QTest::addRow("%s not there", name) << kind << false << false;
            QTest::addRow("%s", name) << kind << true << false;
            QTest::addRow("%s, selected", name) << kind << true << true;
        }
    }
    // Deleting is one undo step and takes only the annotation named; an id
    // that is not there changes nothing, composes nothing and records no
    // step, for every kind, even when something else of that kind is selected.
    void deleting()
    {
        QFETCH(AnnotationKind, kind);
        QFETCH(bool, present);
        QFETCH(bool, selected);
        AppState state(m_home.path());
        state.loadImage(test::solidImage(40, 30), false);
        QVERIFY(settle(state));
        state.setCurrentTextOverlays(everyKind().textOverlays);
        Annotations start = everyKind();
        start.crop.reset();
        state.setCurrentShapeOverlays(start.shapeOverlays);
        state.setCurrentRemovalAreas(start.removalAreas);
        state.setCurrentStepMarkers(start.stepMarkers);
        state.setCurrentPenStrokes(start.penStrokes);
        const Annotations before = state.currentAnnotations();
        const AnnotationRef existing{kind, firstOf(before, kind)};
        state.setSelection(existing);
        const AnnotationRef target = present ? existing : AnnotationRef{kind, QUuid::createUuid()};
        if (!selected)
            state.selectAnnotation(
                kind == AnnotationKind::text ? AnnotationKind::shape : AnnotationKind::text,
                firstOf(before, kind == AnnotationKind::text ? AnnotationKind::shape : AnnotationKind::text));
        const std::optional<AnnotationRef> selectedBefore = state.selection();
        QSignalSpy tabs(&state, &AppState::tabsChanged);

        state.deleteAnnotation(target);

        QCOMPARE(state.historyManager().canUndo(), present);
        QCOMPARE(state.currentAnnotations().contains(target), false);
        if (!present) {
            QVERIFY(state.currentAnnotations() == before);
            QVERIFY(tabs.isEmpty() && !state.isProcessing());
            QCOMPARE(state.selection(), selectedBefore);
            return;
        }
        Annotations expected = before;
        QVERIFY(expected.remove(target));
        if (kind == AnnotationKind::marker) // the one left takes the first number
            expected.stepMarkers[0].number = 1;
        QVERIFY(state.currentAnnotations() == expected);
        QCOMPARE(state.selection(), selected ? std::nullopt : selectedBefore);
        state.undo();
        QVERIFY(state.currentAnnotations() == before);
        QVERIFY(settle(state));
    }

    // One selection for every kind: selecting one kind ends the other's, and
    // the kind's accessor reads only its own.
    void oneSelection()
    {
        AppState state(m_home.path());
        state.loadImage(test::solidImage(40, 30), false);
        state.addTextOverlay();
        const QUuid text = state.selectedId(AnnotationKind::text).value();
        state.addStepMarker(StepMarker{});
        QVERIFY(!state.selectedId(AnnotationKind::text) && !state.selectedTextOverlay());
        QCOMPARE(state.selectedStepMarker()->id, state.currentStepMarkers()[0].id);
        QSignalSpy changed(&state, &AppState::selectionChanged);
        state.selectAnnotation(AnnotationKind::text, text);
        state.selectAnnotation(AnnotationKind::text, text); // the same again: not heard
        QCOMPARE(changed.size(), 1);
        QCOMPARE(state.selectedTextOverlay()->id, text);
        QVERIFY(!state.selectedStepMarker());
        QVERIFY(settle(state));
    }

    void stylingPerTab_data()
    {
        QTest::addColumn<QString>("via");
        QTest::newRow("new tab") << "new tab";
        QTest::newRow("capture") << "capture";
    }
    // Every tab keeps its own styling: a new tab starts with the styling of
    // the tab it was made from, a change there stays there, and switching or
    // closing brings the other tab's back, heard as a settings change.
    void stylingPerTab()
    {
        QFETCH(QString, via);
        AppState state(m_home.path());
        state.loadImage(test::solidImage(40, 30), false);
        const QUuid first = state.currentTabId().value();
        state.setSettings({.cornerRadius = 30});
        if (via == "new tab")
            state.newTab();
        else
            state.loadImage(test::solidImage(20, 20), true);
        const QUuid second = state.currentTabId().value();
        QVERIFY(second != first);
        QCOMPARE(state.settings().cornerRadius, 30.0);
        state.setSettings({.cornerRadius = 5});

        QSignalSpy heard(&state, &AppState::settingsChanged);
        state.selectTab(first);
        QCOMPARE(state.settings().cornerRadius, 30.0);
        QCOMPARE(heard.size(), 1);
        QCOMPARE(state.currentTab()->document.settings.cornerRadius, 30.0);
        state.selectTab(second);
        QCOMPARE(state.settings().cornerRadius, 5.0);
        state.closeTab(second);
        QCOMPARE(state.settings().cornerRadius, 30.0);
        QCOMPARE(heard.size(), 3);
        // A template or a reset applies to the current tab only.
        state.resetSettings();
        QCOMPARE(state.settings(), BeautySettings{});
        QVERIFY(settle(state));
    }

    void openingADocument_data()
    {
        QTest::addColumn<bool>("startTabFilled");
        QTest::newRow("into the empty start tab") << false;
        QTest::newRow("beside a tab with an image") << true;
    }
    // A document opens whole, in a tab named as asked, current and composed
    // with its own styling; an empty start tab gives way to it; the history
    // starts afresh and nothing is selected.
    void openingADocument()
    {
        QFETCH(bool, startTabFilled);
        AppState state(m_home.path());
        if (startTabFilled) {
            state.loadImage(test::solidImage(40, 30), false);
            state.addTextOverlay();
        }
        const int tabsBefore = int(state.tabs().size());
        Document document;
        document.screenshot = test::solidImage(60, 40, Qt::red);
        document.devicePixelRatio = 2;
        document.settings = {.cornerRadius = 7, .padding = 10};
        document.annotations = everyKind();

        state.openDocument(document, QStringLiteral("plan.lustrelab"));

        QCOMPARE(int(state.tabs().size()), startTabFilled ? tabsBefore + 1 : 1);
        const ScreenshotTab& tab = *state.currentTab();
        QCOMPARE(tab.name, QStringLiteral("plan.lustrelab"));
        QCOMPARE(tab.document.settings, document.settings);
        QCOMPARE(state.settings(), document.settings);
        QVERIFY(tab.document.annotations == document.annotations);
        QCOMPARE(tab.document.screenshot.devicePixelRatio(), 2.0);
        QVERIFY(!state.historyManager().canUndo() && !state.selection());
        QVERIFY(settle(state));
        QVERIFY(state.currentTab()->processedImage);
        // At ratio 2 the 60 x 40 screenshot is 30 x 20 points, cropped to its
        // left half: 15 x 20, within 10 points of padding.
        QCOMPARE(state.currentTab()->processedImage->size(), QSize(2 * 35, 2 * 40));

        state.openDocument(Document{}, QStringLiteral("nothing")); // no screenshot: ignored
        QCOMPARE(state.currentTab()->name, QStringLiteral("plan.lustrelab"));
    }
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
