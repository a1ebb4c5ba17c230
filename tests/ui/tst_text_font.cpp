// The font of a text: one the user adds is set in the desktop's UI font,
// which is installed wherever the window runs; a text that already names a
// font keeps it, and the font picker says when that one is not installed.
#include "render/font_resolution.h"
#include "ui/left_sidebar.h"
#include "ui/text_settings_panel.h"
#include "ui_fixtures.h"

#include <QFontDatabase>
#include <QFontInfo>

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestTextFont : public QObject, FreshModel<LeftSidebar>
{
    Q_OBJECT

  private slots:
    void init() { makeFresh(); }
    void cleanup() { takeDown(); }

    void shownAndKept_data()
    {
        QTest::addColumn<bool>("added");       // with the Add Text button, else a record as stored
        QTest::addColumn<QString>("fontName"); // the record's after adding; empty: the UI font's family
        QTest::addColumn<QString>("shown");    // by the picker; empty: the UI font's family
        QTest::newRow("added with Add Text") << true << QString() << QString();
        QTest::newRow("stored record keeps its font") << false << "SF Pro Display"
                                                      << "SF Pro Display (not installed)";
    }
    void shownAndKept()
    {
        QFETCH(bool, added);
        QFETCH(QString, fontName);
        QFETCH(QString, shown);
        const QString uiFamily = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
        QVERIFY(!uiFamily.isEmpty());
        if (added) {
            m_state->setCurrentTool(CanvasTool::text);
            named<QPushButton>(*m_widget, "addText")->click();
        } else {
            // A text as files and undo steps hold it: the record's own default font.
            const TextOverlay stored;
            m_state->setCurrentTextOverlays({stored});
            m_state->selectAnnotation(AnnotationKind::text, stored.id);
        }
        const std::optional<TextOverlay> text = m_state->selectedTextOverlay();
        QVERIFY(text);
        QCOMPARE(text->fontName, fontName.isEmpty() ? uiFamily : fontName);
        QCOMPARE(resolveFontName(text->fontName).match == FontResolution::Match::installed, added);
        auto* font = named<QComboBox>(*child<TextSettingsPanel>(*m_widget), "font");
        QCOMPARE(font->currentText(), shown.isEmpty() ? uiFamily : shown);
    }
};

QTEST_MAIN(TestTextFont)
#include "tst_text_font.moc"
