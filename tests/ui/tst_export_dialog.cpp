// The window's sheets and its preferences: the export sheet's pickers, the
// file it writes and a write that fails; the save-template sheet; and the
// preferences window.
#include "io/export_service.h"
#include "state/preferences_store.h"
#include "ui/export_dialog.h"
#include "ui/save_template_dialog.h"
#include "ui/settings_view.h"
#include "ui_fixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestExportDialog : public QObject, FreshModel<ExportDialog>
{
    Q_OBJECT

    void setExport(double scale, ExportFormat format)
    {
        m_state->setSettings({.exportScale = scale, .exportFormat = format});
    }

    QFileDialog* pressSave()
    {
        QTest::keyClick(m_widget.get(), Qt::Key_Return);
        auto* dialog = m_widget->findChild<QFileDialog*>(QStringLiteral("saveDialog"));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }

  private slots:
    void init() { makeFresh(); }
    void cleanup() { takeDown(); }

    void outputSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("line");
        // A HiDPI capture: scale 1 writes its pixels as they are, other
        // scales multiply its logical size.
        QTest::newRow("ratio 2 at 1x") << QSize(2000, 1000) << 2.0 << 1.0 << "Output size: 2000 × 1000 px";
        QTest::newRow("ratio 2 at 3x") << QSize(2000, 1000) << 2.0 << 3.0 << "Output size: 3000 × 1500 px";
        QTest::newRow("no image, no line") << QSize() << 1.0 << 2.0 << "";
    }
    void outputSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(qreal, ratio);
        QFETCH(double, scale);
        const auto* label = child<QLabel>(*m_widget, QStringLiteral("outputSize"));
        m_widget->show();
        if (!pixels.isEmpty()) {
            m_state->setProcessedImage(solidImage(pixels.width(), pixels.height(), Qt::white, ratio));
            setExport(scale, ExportFormat::png);
            QTEST(label->text(), "line");
        }
        QCOMPARE(label->isHidden(), pixels.isEmpty());
    }

    void pickersWriteTheSettings_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("scale");
        QTest::addColumn<ExportFormat>("format");
        QTest::newRow("1x") << "1x" << 1.0 << ExportFormat::png;
        QTest::newRow("JPEG") << "JPEG" << 2.0 << ExportFormat::jpeg;
    }
    void pickersWriteTheSettings()
    {
        QFETCH(QString, button);
        QFETCH(double, scale);
        QVERIFY(labelled(*m_widget, "2x")->isChecked()); // the stored scale, from the start
        QVERIFY(loadAndCompose(*m_state, solidImage(100, 50)));
        setExport(2.0, ExportFormat::png);
        m_widget->show();
        QTest::mouseClick(labelled(*m_widget, button), Qt::LeftButton);
        QCOMPARE(m_state->settings().exportScale, scale);
        QTEST(m_state->settings().exportFormat, "format");
        QVERIFY(!m_state->isProcessing()); // only the export reads these
        QVERIFY(labelled(*m_widget, button)->isChecked());
        // A scale no button stands for leaves every scale button up.
        setExport(1.5, m_state->settings().exportFormat);
        for (const char* label : {"1x", "2x", "3x"})
            QVERIFY(!labelled(*m_widget, label)->isChecked());
    }

    // A copy (Ctrl+C) is made at the default scale: the screenshot's own
    // pixel ratio unless the preferences chose one, so a 1x screenshot is not
    // blown up by the styling's 2. (Where the export sheet starts:
    // tst_window_preferences.)
    void copyFollowsTheDefaultScale_data()
    {
        QTest::addColumn<double>("ratio");     // of the screenshot
        QTest::addColumn<double>("preferred"); // 0: not chosen
        QTest::addColumn<double>("scale");
        QTest::newRow("1x screenshot") << 1.0 << 0.0 << 1.0;
        QTest::newRow("HiDPI screenshot") << 2.0 << 0.0 << 2.0;
        QTest::newRow("1x screenshot, 3x chosen") << 1.0 << 3.0 << 3.0;
    }
    void copyFollowsTheDefaultScale()
    {
        QFETCH(double, ratio);
        QFETCH(double, preferred);
        QFETCH(double, scale);
        PreferencesStore().setDefaultExportScale(preferred > 0 ? std::optional(preferred) : std::nullopt);
        const auto unchoose = qScopeGuard([] { PreferencesStore().setDefaultExportScale(std::nullopt); });
        QVERIFY(loadAndCompose(*m_state, solidImage(100, 50, Qt::darkBlue, ratio)));
        QGuiApplication::clipboard()->clear();
        m_state->copyToClipboard();
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData() &&
                    QGuiApplication::clipboard()->mimeData()->hasImage());
        const QImage composed = *m_state->currentTab()->processedImage;
        QCOMPARE(QGuiApplication::clipboard()->image().size(), ExportService::outputSize(composed, scale));
    }

    void savedFiles_data()
    {
        QTest::addColumn<ExportFormat>("formatAtOpen");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<ExportFormat>("formatAtClose");
        QTest::newRow("PNG") << ExportFormat::png << "screenshot.png" << ExportFormat::png;
        QTest::newRow("JPEG") << ExportFormat::jpeg << "screenshot.jpeg" << ExportFormat::jpeg;
        QTest::newRow("changed to JPEG while the save dialog was open")
            << ExportFormat::png << "screenshot.png" << ExportFormat::jpeg;
    }
    void savedFiles()
    {
        QFETCH(ExportFormat, formatAtOpen);
        QFETCH(QString, proposed);
        QFETCH(ExportFormat, formatAtClose);
        m_state->setProcessedImage(solidImage(60, 40));
        setExport(2.0, formatAtOpen);
        m_widget->show();
        QFileDialog* save = pressSave();
        QVERIFY(save);
        QVERIFY(save->selectedFiles().value(0).endsWith(QLatin1Char('/') + proposed));
        QCOMPARE(save->nameFilters().size(), 1);
        QVERIFY(save->nameFilters().first().contains("*." + QFileInfo(proposed).suffix()));
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        setExport(2.0, formatAtClose);
        const QString path = m_home.filePath(QStringLiteral("out.png"));
        QFile::remove(path);
        save->selectFile(path);
        static_cast<QDialog*>(save)->accept(); // as the dialog's own Save button does
        QTRY_VERIFY(!m_widget->isVisible());
        QCOMPARE(m_widget->result(), int(QDialog::Accepted));
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray(formatAtClose == ExportFormat::png ? "png" : "jpeg"));
        QCOMPARE(reader.size(), QSize(120, 80));
    }

    // A place that cannot be written: the user is told, the sheet stays open.
    void writeFailureIsShown()
    {
        m_state->setProcessedImage(solidImage(60, 40));
        m_widget->show();
        const QString blocker = m_home.filePath(QStringLiteral("not-a-folder"));
        QVERIFY(test::writeFile(blocker, ""));
        const QString path = blocker + QStringLiteral("/screenshot.png");
        QFileDialog* save = pressSave();
        QVERIFY(save);
        save->reject(); // cancelling keeps the sheet open
        QVERIFY(m_widget->isVisible());
        QTRY_VERIFY(!m_widget->findChild<QFileDialog*>());
        QVERIFY((save = pressSave()));
        save->selectFile(path);
        static_cast<QDialog*>(save)->accept(); // as the dialog's own Save button does
        // Escape while the file is being written must not take the outcome away.
        QTest::keyClick(m_widget.get(), Qt::Key_Escape);
        QVERIFY(m_widget->isVisible());
        QMessageBox* message = nullptr;
        QTRY_VERIFY((message = m_widget->findChild<QMessageBox*>()) && message->isVisible());
        QVERIFY(message->text().contains(path));
        QVERIFY(!message->informativeText().isEmpty());
        QCOMPARE(message->windowModality(), Qt::WindowModal);
        QVERIFY(m_widget->isVisible());
        QVERIFY(child<QPushButton>(*m_widget, QStringLiteral("save"))->isEnabled());
        QVERIFY(!QFile::exists(path));
    }

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
        SaveTemplateDialog dialog(*m_state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto* save = child<QPushButton>(dialog, QStringLiteral("save"));
        auto* name = child<QLineEdit>(dialog, QStringLiteral("name"));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(name, typed);
        QTEST(save->isEnabled(), "saveEnabled");
        QTest::keyClick(name, Qt::Key(key));

        const QList<Template> templates = m_state->templateManager().templates();
        QCOMPARE(templates.size(), saved.isEmpty() ? 0 : 1);
        QTEST(dialog.isVisible(), "open");
        if (!saved.isEmpty()) {
            QCOMPARE(templates.first().name, saved);
            QCOMPARE(templates.first().settings, m_state->settings());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
    }

    // What a first launch shows, what the window's changes leave for the next
    // one, and Reset, which brings back every default, the styling's as an
    // undo step.
    void preferencesPersistUntilReset()
    {
        {
            SettingsView view(*m_state);
            const auto* help = child<QLabel>(view, QStringLiteral("shortcutHelp"));
            QVERIFY(named<QCheckBox>(view, "autoPaste")->isChecked());
            QCOMPARE(named<QComboBox>(view, "scale")->currentText(), QStringLiteral("Screenshot's own"));
            QVERIFY(!help->isVisibleTo(&view));
            view.setGlobalShortcutRegistered(false);
            QVERIFY(help->isVisibleTo(&view));
            QVERIFY(help->text().contains(QStringLiteral("lustrelab")));
            QCOMPARE(unreachableOrNamelessControls(view), QStringList());

            named<QCheckBox>(view, "autoPaste")->click();
            named<QComboBox>(view, "scale")->setFocus();
            QTest::keyClick(named<QComboBox>(view, "scale"), Qt::Key_Home);
            QTest::keyClick(named<QComboBox>(view, "scale"), Qt::Key_Down);
        }
        QVERIFY(!PreferencesStore().autoPasteOnLaunch());
        QCOMPARE(PreferencesStore().defaultExportScale(), std::optional(1.0));
        SettingsView reopened(*m_state);
        QVERIFY(!named<QCheckBox>(reopened, "autoPaste")->isChecked());
        QCOMPARE(named<QComboBox>(reopened, "scale")->currentText(), QStringLiteral("1x"));

        QVERIFY(loadAndCompose(*m_state));
        m_state->setCornersCollapsed(false);
        const BeautySettings changed{.cornerRadius = 30, .backgroundType = BackgroundType::solid};
        m_state->setSettings(changed);
        m_state->processImage();
        QTRY_VERIFY(!m_state->isProcessing());
        const QImage styled = *m_state->currentTab()->processedImage;
        PreferencesStore().setRedactionStyle(ShapeType::pixelate);
        child<QPushButton>(reopened, QStringLiteral("reset"))->click();
        QCOMPARE(m_state->settings(), BeautySettings{});
        QVERIFY(PreferencesStore().autoPasteOnLaunch());
        QCOMPARE(PreferencesStore().defaultExportScale(), std::nullopt);
        QCOMPARE(PreferencesStore().redactionStyle(), ShapeType::redact);
        QVERIFY(named<QCheckBox>(reopened, "autoPaste")->isChecked());
        QCOMPARE(named<QComboBox>(reopened, "scale")->currentText(), QStringLiteral("Screenshot's own"));
        QVERIFY(m_state->cornersCollapsed() == false); // fold flags are no styling
        QTRY_VERIFY(!m_state->isProcessing());
        QVERIFY(*m_state->currentTab()->processedImage != styled);

        m_state->undo();
        QCOMPARE(m_state->settings(), changed);
        QTRY_VERIFY(!m_state->isProcessing());
        QCOMPARE(*m_state->currentTab()->processedImage, styled);
    }

    // Stored by hand or by a later version: a scale not offered, a style that
    // would not hide the text or a name that is no language reads as the
    // default; so does nothing stored.
    void unreadablePreferencesReadAsDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
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
        QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).setValue(key, stored);
        QCOMPARE(PreferencesStore().defaultExportScale(), std::nullopt);
        QCOMPARE(PreferencesStore().redactionStyle(), ShapeType::redact);
        QCOMPARE(PreferencesStore().textLanguage(), QStringLiteral("eng"));
    }
};

QTEST_MAIN(TestExportDialog)
#include "tst_export_dialog.moc"
