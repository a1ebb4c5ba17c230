#include "io/export_service.h"
#include "ui/export_dialog.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestExportDialog : public QObject, FreshModel<ExportDialog>
{
    Q_OBJECT

    void setExport(double scale, ExportFormat format)
    {
        BeautySettings settings = m_state->settings();
        settings.exportScale = scale;
        settings.exportFormat = format;
        m_state->setSettings(settings);
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
        if (pixels.isEmpty()) {
            QVERIFY(label->isHidden());
            return;
        }
        QImage composed = solidImage(pixels.width(), pixels.height());
        composed.setDevicePixelRatio(ratio);
        m_state->setProcessedImage(composed);
        setExport(scale, ExportFormat::png);
        QTEST(label->text(), "line");
        QVERIFY(!label->isHidden());
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
};

QTEST_MAIN(TestExportDialog)
#include "tst_export_dialog.moc"
