// File > Stitch Images...: the open tabs listed, ticked and joined into a
// new tab; a refusal said in the dialog, which stays open.
#include "render/scrolled_page.h"
#include "ui/stitch_dialog.h"
#include "ui_fixtures.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestStitchDialog : public QObject, FreshModel<StitchDialog>
{
    Q_OBJECT
    test::ScrolledView m_view = test::scrolledView(300, 500, 200, 1, true);

    // Tabs holding the frames at `positions`, in that order, then the dialog over them.
    void openWithFrames(const QList<int>& positions)
    {
        takeDown();
        QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear();
        m_state = std::make_unique<AppState>(templates());
        for (qsizetype i = 0; i < positions.size(); ++i)
            QVERIFY(loadAndCompose(*m_state, m_view.frame(positions[i], 0), i > 0));
        m_widget = std::make_unique<StitchDialog>(*m_state);
    }
    QListWidget* list() const { return child<QListWidget>(*m_widget, QStringLiteral("stitchImages")); }
    QPushButton* stitchButton() const { return child<QPushButton>(*m_widget, QStringLiteral("stitch")); }
    QLabel* problem() const { return child<QLabel>(*m_widget, QStringLiteral("stitchProblem")); }

  private slots:
    void cleanup() { takeDown(); }

    void tickedTabsBecomeANewTab_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<int>>("unticked");
        QTest::addColumn<QString>("refusal"); // empty: stitched
        QTest::addColumn<int>("rows");        // of the stitched tab's image
        QTest::newRow("three tabs") << QList<int>{0, 150, 300} << QList<int>{} << "" << 28 + 500 + 18;
        QTest::newRow("the second one left out") << QList<int>{0, 100, 150, 300} << QList<int>{1} << ""
                                                 << 28 + 500 + 18;
        QTest::newRow("a gap between the ticked ones")
            << QList<int>{0, 150, 300} << QList<int>{0} << "" << 28 + 350 + 18;
        QTest::newRow("no overlap") << QList<int>{0, 300} << QList<int>{} << "%1 and %2 do not overlap" << 0;
    }
    void tickedTabsBecomeANewTab()
    {
        QFETCH(QList<int>, positions);
        QFETCH(QList<int>, unticked);
        QFETCH(QString, refusal);
        QFETCH(int, rows);
        openWithFrames(positions);
        QCOMPARE(list()->count(), positions.size());
        for (int row : unticked)
            list()->item(row)->setCheckState(Qt::Unchecked);
        const qsizetype tabs = m_state->tabs().size();
        m_widget->show();
        stitchButton()->click();
        if (!refusal.isEmpty()) {
            QVERIFY(m_widget->isVisible());
            QVERIFY(problem()->isVisible());
            const QString first = m_state->tabs().at(0).name, second = m_state->tabs().at(1).name;
            QCOMPARE(problem()->text(), refusal.arg(first, second));
            QCOMPARE(m_state->tabs().size(), tabs);
            return;
        }
        QVERIFY(!m_widget->isVisible());
        QCOMPARE(m_state->tabs().size(), tabs + 1);
        const ScreenshotTab* stitched = m_state->currentTab();
        QCOMPARE(stitched->name, QStringLiteral("Stitched"));
        QVERIFY(stitched->hasImage());
        QCOMPARE(stitched->document.screenshot.size(), QSize(300, rows));
    }

    // Fewer than two ticked: nothing to join.
    void stitchNeedsTwo()
    {
        openWithFrames({0, 150});
        QVERIFY(stitchButton()->isEnabled());
        list()->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(!stitchButton()->isEnabled());
    }

    // Files join the list after the tabs, ticked.
    void filesAreAdded()
    {
        openWithFrames({0});
        const QString path = m_home.filePath(QStringLiteral("next.png"));
        QVERIFY(m_view.frame(150, 0).save(path));
        m_widget->addFiles({path, m_home.filePath(QStringLiteral("missing.png"))});
        QCOMPARE(list()->count(), 2);
        QVERIFY(problem()->text().startsWith(QStringLiteral("missing.png: ")));
        m_widget->stitch();
        QCOMPARE(m_state->currentTab()->document.screenshot.height(), 28 + 350 + 18);
    }
};

QTEST_MAIN(TestStitchDialog)
#include "tst_stitch_dialog.moc"
