// The save-template sheet and the preferences window.
#include "state/preferences_store.h"
#include "ui/save_template_dialog.h"
#include "ui/settings_view.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

QCheckBox* autoPaste(const SettingsView& view)
{
    return child<QCheckBox>(view, QStringLiteral("autoPaste"));
}

QComboBox* scale(const SettingsView& view)
{
    return child<QComboBox>(view, QStringLiteral("scale"));
}

} // namespace

class TestTemplateSheetAndPreferences : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void init() { QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear(); }

    void saveSheet_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<QString>("saved"); // the template's name, empty for none
        QTest::addColumn<bool>("open");
        QTest::newRow("empty name: Return does nothing") << "" << int(Qt::Key_Return) << false << "" << true;
        QTest::newRow("spaces only, kept as typed") << "   " << int(Qt::Key_Return) << true << "   " << false;
        QTest::newRow("blanks kept") << " Blog " << int(Qt::Key_Enter) << true << " Blog " << false;
        QTest::newRow("Escape cancels") << "Blog" << int(Qt::Key_Escape) << true << "" << false;
    }
    void saveSheet()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        AppState state(dir.path());
        SaveTemplateDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto* save = child<QPushButton>(dialog, QStringLiteral("save"));
        auto* name = child<QLineEdit>(dialog, QStringLiteral("name"));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(name, typed);
        QTEST(save->isEnabled(), "saveEnabled");
        QTest::keyClick(name, Qt::Key(key));

        const QList<Template> templates = state.templateManager().templates();
        QCOMPARE(templates.size(), saved.isEmpty() ? 0 : 1);
        QTEST(dialog.isVisible(), "open");
        if (!saved.isEmpty()) {
            QCOMPARE(templates.first().name, saved);
            QCOMPARE(templates.first().settings, state.settings());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
    }

    // What a first launch shows, and what the window's changes leave for the next one.
    void preferencesPersist()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        {
            SettingsView view(state);
            const auto* help = child<QLabel>(view, QStringLiteral("shortcutHelp"));
            QVERIFY(autoPaste(view)->isChecked());
            QCOMPARE(scale(view)->currentText(), QStringLiteral("2x"));
            QVERIFY(!help->isVisibleTo(&view));
            view.setGlobalShortcutRegistered(false);
            QVERIFY(help->isVisibleTo(&view));
            QVERIFY(help->text().contains(QStringLiteral("lustrelab")));
            QCOMPARE(unreachableOrNamelessControls(view), QStringList());

            autoPaste(view)->click();
            scale(view)->setFocus();
            QTest::keyClick(scale(view), Qt::Key_Home);
        }
        QVERIFY(!PreferencesStore().autoPasteOnLaunch());
        QCOMPARE(PreferencesStore().defaultExportScale(), 1.0);
        SettingsView reopened(state);
        QVERIFY(!autoPaste(reopened)->isChecked());
        QCOMPARE(scale(reopened)->currentText(), QStringLiteral("1x"));
    }

    // Stored by hand or by a later version: a scale not offered, a style that
    // would not hide the text or a name that is no language reads as the
    // default; so does nothing stored.
    void unreadablePreferencesReadAsDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("nothing stored") << "text.language" << QVariant();
        QTest::newRow("a scale that is no number") << "defaultScale" << QVariant(QStringLiteral("big"));
        QTest::newRow("a scale not offered") << "defaultScale" << QVariant(7.5);
        QTest::newRow("a shape that hides nothing")
            << "text.redactionStyle" << QVariant(QStringLiteral("Rectangle"));
        QTest::newRow("no shape at all") << "text.redactionStyle" << QVariant(QStringLiteral("Sparkle"));
        QTest::newRow("a path, not a language")
            << "text.language" << QVariant(QStringLiteral("../../tmp/eng"));
        QTest::newRow("an empty language") << "text.language" << QVariant(QString());
    }
    void unreadablePreferencesReadAsDefault()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        if (stored.isValid())
            QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).setValue(key, stored);
        QCOMPARE(PreferencesStore().defaultExportScale(), 2.0);
        QCOMPARE(PreferencesStore().redactionStyle(), ShapeType::redact);
        QCOMPARE(PreferencesStore().textLanguage(), QStringLiteral("eng"));
    }

    void resetToDefaultsIsUndoable()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        QVERIFY(loadAndCompose(state));
        state.setCornersCollapsed(false);
        BeautySettings changed = state.settings();
        changed.cornerRadius = 30;
        changed.backgroundType = BackgroundType::solid;
        state.setSettings(changed);
        state.processImage();
        QTRY_VERIFY(!state.isProcessing());
        const QImage styled = *state.currentTab()->processedImage;
        PreferencesStore().setAutoPasteOnLaunch(false);
        PreferencesStore().setDefaultExportScale(1);
        PreferencesStore().setRedactionStyle(ShapeType::pixelate);

        SettingsView view(state);
        child<QPushButton>(view, QStringLiteral("reset"))->click();
        QCOMPARE(state.settings(), BeautySettings{});
        QVERIFY(PreferencesStore().autoPasteOnLaunch());
        QCOMPARE(PreferencesStore().defaultExportScale(), 2.0);
        QCOMPARE(PreferencesStore().redactionStyle(), ShapeType::redact);
        QVERIFY(autoPaste(view)->isChecked());
        QCOMPARE(scale(view)->currentText(), QStringLiteral("2x"));
        QVERIFY(state.cornersCollapsed() == false); // fold flags are no styling
        QTRY_VERIFY(!state.isProcessing());
        QVERIFY(*state.currentTab()->processedImage != styled);

        state.undo();
        QCOMPARE(state.settings(), changed);
        QTRY_VERIFY(!state.isProcessing());
        QCOMPARE(*state.currentTab()->processedImage, styled);
    }
};

QTEST_MAIN(TestTemplateSheetAndPreferences)
#include "tst_template_sheet_and_preferences.moc"
