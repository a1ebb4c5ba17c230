// The window and its one preferences store: a preference chosen in the
// Preferences window is what the window's own commands then use, and what
// shows a preference follows a change made elsewhere.
#include "state/preferences_store.h"
#include "ui/export_dialog.h"
#include "ui/main_window.h"
#include "ui/settings_view.h"
#include "ui_fixtures.h"

#include <QComboBox>

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestWindowPreferences : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    template <typename T> T* open() const { return m_widget->findChild<T*>(); }

  private slots:
    void init()
    {
        makeFresh();
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
    }
    void cleanup() { takeDown(); }

    // Chosen in the Preferences window (Ctrl+,), the default scale is where
    // the export sheet opened with Ctrl+Shift+E starts; unchosen, the
    // screenshot's own ratio.
    void exportSheetStartsAtTheDefaultScale_data()
    {
        QTest::addColumn<double>("ratio");   // of the screenshot
        QTest::addColumn<int>("downs");      // presses of Down in the scale box, from its first entry
        QTest::addColumn<QString>("button"); // checked in the sheet
        QTest::addColumn<double>("scale");
        QTest::newRow("screenshot's own, 1x screenshot") << 1.0 << 0 << "1x" << 1.0;
        QTest::newRow("screenshot's own, HiDPI screenshot") << 2.0 << 0 << "2x" << 2.0;
        QTest::newRow("3x chosen, 1x screenshot") << 1.0 << 3 << "3x" << 3.0;
        QTest::newRow("1x chosen, HiDPI screenshot") << 2.0 << 1 << "1x" << 1.0;
    }
    void exportSheetStartsAtTheDefaultScale()
    {
        QFETCH(double, ratio);
        QFETCH(int, downs);
        QVERIFY(loadAndCompose(*m_state, solidImage(100, 50, Qt::darkBlue, ratio)));

        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+,")));
        QTRY_VERIFY(open<SettingsView>() && open<SettingsView>()->isVisible());
        auto* scale = named<QComboBox>(*open<SettingsView>(), "scale");
        scale->setFocus();
        QTest::keyClick(scale, Qt::Key_Home);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(scale, Qt::Key_Down);
        open<SettingsView>()->close();

        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+Shift+E")));
        QTRY_VERIFY(open<ExportDialog>());
        QTEST(m_state->settings().exportScale, "scale");
        QFETCH(QString, button);
        QVERIFY(labelled(*open<ExportDialog>(), button)->isChecked());
    }

    // The capture delay's menu shows the stored choice, also one made
    // through the store itself rather than through the menu, and the one
    // chosen is what the next start finds.
    void delayMenuFollowsThePreference()
    {
        QVERIFY(child<QAction>(*m_widget, QStringLiteral("delay0"))->isChecked());
        m_state->preferences().setCaptureDelay(5);
        QVERIFY(child<QAction>(*m_widget, QStringLiteral("delay5"))->isChecked());
        QVERIFY(!child<QAction>(*m_widget, QStringLiteral("delay0"))->isChecked());
        child<QAction>(*m_widget, QStringLiteral("delay10"))->trigger();
        QCOMPARE(m_state->preferences().captureDelay(), 10);
        QCOMPARE(PreferencesStore().captureDelay(), 10); // stored, for the next start
        takeDown();
        m_state = std::make_unique<AppState>(templates());
        m_widget = std::make_unique<MainWindow>(*m_state);
        QVERIFY(child<QAction>(*m_widget, QStringLiteral("delay10"))->isChecked());
    }
};

QTEST_MAIN(TestWindowPreferences)
#include "tst_window_preferences.moc"
