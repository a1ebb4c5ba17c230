// The application leaves the screen while a capture runs and comes back
// after it; and the preferences window answers the keys a dialog does. On a
// real X server (see xvfb_main.h): window activation is what is checked.
#include "ui/main_window.h"
#include "ui/settings_view.h"
#include "ui_fixtures.h"
#include "xvfb_main.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestWindowPresence : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT
    QStringList m_seen;

    QWidget* preferences() const { return m_widget->findChild<SettingsView*>(); }
    void openPreferences() { child<QAction>(*m_widget, QStringLiteral("preferences"))->trigger(); }

  private slots:
    void init()
    {
        makeFresh();
        m_widget->setAutomaticPasteEnabled(false);
        m_seen.clear();
        // Notes which of the application's windows are on the screen while it "captures".
        CancelledCapture::install(*m_state, [this](CaptureMode) {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible() && !window->isMinimized())
                    m_seen << window->metaObject()->className();
        });
    }
    void cleanup() { takeDown(); }

    void windowsLeaveTheScreenDuringACapture_data()
    {
        QTest::addColumn<bool>("withPreferences");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<int>("overlapping"); // captures started together
        QTest::newRow("main window") << false << false << 1;
        QTest::newRow("main window and preferences") << true << false << 1;
        QTest::newRow("two captures at once: back after the last") << true << false << 2;
        QTest::newRow("a minimised window stays minimised") << false << true << 1;
    }
    void windowsLeaveTheScreenDuringACapture()
    {
        QFETCH(bool, withPreferences);
        QFETCH(bool, minimised);
        QFETCH(int, overlapping);
        if (minimised) {
            m_widget->showMinimized();
        } else {
            m_widget->show();
            m_widget->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
        }
        if (withPreferences)
            openPreferences();
        QList<QFuture<QImage>> captures;
        for (int i = 0; i < overlapping; ++i)
            captures << m_state->screenCaptureService().captureRegion();
        QVERIFY(!m_widget->isVisible() || minimised);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(captures.begin(), captures.end(), [](auto& f) { return f.isFinished(); }), 5000);
        QCOMPARE(m_seen, QStringList()); // nothing of ours on the screen, for every capture
        QCOMPARE(m_widget->isMinimized(), minimised);
        QVERIFY(m_widget->isVisible());
        QCOMPARE(preferences() && preferences()->isVisible(), withPreferences);
        if (!minimised)
            QTRY_VERIFY(m_widget->isActiveWindow());
    }

    void preferencesKeys_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<bool>("quits");
        QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << false;
        QTest::newRow("Ctrl+Q quits") << QKeySequence(Qt::CTRL | Qt::Key_Q) << true;
    }
    void preferencesKeys()
    {
        QFETCH(QKeySequence, key);
        m_widget->show();
        openPreferences();
        QWidget* window = preferences();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, key);
        QTRY_VERIFY(!window->isVisible());
        QTEST(!m_widget->isVisible(), "quits"); // Quit closes the main window, then the loop
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QApplication, TestWindowPresence>(argc, argv, "1280x800x24");
}
#include "tst_window_presence.moc"
