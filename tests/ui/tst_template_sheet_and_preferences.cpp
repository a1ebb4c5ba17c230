// The save-template sheet and the preferences window.
#include "sidebar_test_support.h"
#include "test_fixtures.h"
#include "ui/save_template_dialog.h"
#include "ui/settings_view.h"
#include "ui/user_preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace lustrelab;

namespace {

QCheckBox* autoPaste(const SettingsView& view)
{
    return test::child<QCheckBox>(view, QStringLiteral("autoPaste"));
}

QComboBox* scale(const SettingsView& view)
{
    return test::child<QComboBox>(view, QStringLiteral("scale"));
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
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("open");
        QTest::newRow("empty name: Return does nothing")
            << "" << int(Qt::Key_Return) << false << QStringList{} << true;
        QTest::newRow("spaces only, kept as typed")
            << "   " << int(Qt::Key_Return) << true << QStringList{"   "} << false;
        QTest::newRow("surrounding blanks kept")
            << " Blog post " << int(Qt::Key_Enter) << true << QStringList{" Blog post "} << false;
        QTest::newRow("Escape cancels") << "Blog" << int(Qt::Key_Escape) << true << QStringList{} << false;
    }
    void saveSheet()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, saveEnabled);
        QFETCH(QStringList, saved);
        QFETCH(bool, open);
        QTemporaryDir dir;
        AppState state(dir.path());
        SaveTemplateDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto* save = test::child<QPushButton>(dialog, QStringLiteral("save"));
        auto* name = test::child<QLineEdit>(dialog, QStringLiteral("name"));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(name, typed);
        QCOMPARE(save->isEnabled(), saveEnabled);
        QTest::keyClick(name, Qt::Key(key));

        QStringList names;
        for (const Template& entry : state.templateManager().templates())
            names << entry.name;
        QCOMPARE(names, saved);
        QCOMPARE(dialog.isVisible(), open);
        if (!saved.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(state.templateManager().templates().first().settings, state.settings());
        }
    }

    void firstLaunchPreferences()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        SettingsView view(state);
        const auto* help = test::child<QLabel>(view, QStringLiteral("shortcutHelp"));
        QVERIFY(autoPaste(view)->isChecked());
        QCOMPARE(scale(view)->currentText(), QStringLiteral("2x"));
        QVERIFY(!help->isVisibleTo(&view));
        view.setGlobalShortcutRegistered(false);
        QVERIFY(help->isVisibleTo(&view));
        QVERIFY(help->text().contains(QStringLiteral("lustrelab")));
        QCOMPARE(test::unreachableOrNamelessControls(view), QStringList());
    }

    void preferencesPersist()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        {
            SettingsView view(state);
            autoPaste(view)->click();
            scale(view)->setFocus();
            QTest::keyClick(scale(view), Qt::Key_Home);
        }
        QVERIFY(!autoPasteOnLaunch());
        QCOMPARE(defaultExportScale(), 1.0);
        SettingsView reopened(state);
        QVERIFY(!autoPaste(reopened)->isChecked());
        QCOMPARE(scale(reopened)->currentText(), QStringLiteral("1x"));
    }

    void unreadableScaleReadsAsDefault_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("not a number") << QVariant(QStringLiteral("big"));
        QTest::newRow("not offered") << QVariant(7.5);
    }
    void unreadableScaleReadsAsDefault()
    {
        QFETCH(QVariant, stored);
        QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"))
            .setValue(QStringLiteral("defaultScale"), stored);
        QCOMPARE(defaultExportScale(), 2.0);
        QTemporaryDir dir;
        AppState state(dir.path());
        SettingsView view(state);
        QCOMPARE(scale(view)->currentText(), QStringLiteral("2x"));
    }

    void resetToDefaultsIsUndoable()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        test::loadComposedScreenshot(state);
        state.setCornersCollapsed(false);
        BeautySettings changed = state.settings();
        changed.cornerRadius = 30;
        changed.backgroundType = BackgroundType::solid;
        changed.solidColor = CodableColor{0.2, 0.4, 0.6, 1};
        state.setSettings(changed);
        state.processImage();
        QTRY_VERIFY(!state.isProcessing());
        const QImage styled = *state.currentTab()->processedImage;
        setAutoPasteOnLaunch(false);
        setDefaultExportScale(1);

        SettingsView view(state);
        test::child<QPushButton>(view, QStringLiteral("reset"))->click();
        QCOMPARE(state.settings(), BeautySettings{});
        QVERIFY(autoPasteOnLaunch());
        QCOMPARE(defaultExportScale(), 2.0);
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
