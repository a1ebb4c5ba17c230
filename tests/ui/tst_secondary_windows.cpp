// The windows the main window opens besides itself: Preferences opens over
// the main window wherever that stands, since some window managers otherwise
// put it in a corner of the screen; the Save Template sheet is exactly as
// tall as its contents, with nothing under its buttons but its margin.
#include "ui/main_window.h"
#include "ui/save_template_dialog.h"
#include "ui/settings_view.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestSecondaryWindows : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

  private slots:
    void init() { makeFresh(); }
    void cleanup() { takeDown(); }

    void preferencesOpenOverTheWindow_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::newRow("near the top left") << QRect(40, 30, 1100, 760);
        QTest::newRow("towards the bottom right") << QRect(700, 320, 1000, 700);
    }
    void preferencesOpenOverTheWindow()
    {
        QFETCH(QRect, window);
        m_widget->setAutomaticPasteEnabled(false);
        m_widget->setGeometry(window);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        named<QAction>(*m_widget, "preferences")->trigger();
        auto* preferences = child<SettingsView>(*m_widget);
        QVERIFY(QTest::qWaitForWindowExposed(preferences));
        QVERIFY(preferences->isWindow());
        const QPoint offCentre = preferences->geometry().center() - m_widget->geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 8, // a frame's few pixels either way
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void saveTemplateSheetFitsItsContents()
    {
        m_widget->setAutomaticPasteEnabled(false);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        m_state->setShowSaveTemplateDialog(true);
        QTRY_VERIFY(m_widget->findChild<SaveTemplateDialog*>());
        auto* sheet = m_widget->findChild<SaveTemplateDialog*>();
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        // Not resizable, so no window manager adds a handle to it.
        QCOMPARE(sheet->minimumSize(), sheet->maximumSize());
        const auto* save = named<QPushButton>(*sheet, "save");
        const int below = sheet->height() - save->geometry().bottom() - 1;
        QCOMPARE(below, sheet->layout()->contentsMargins().bottom());
    }
};

QTEST_MAIN(TestSecondaryWindows)
#include "tst_secondary_windows.moc"
