#include "model/text_overlay.h"
#include "render/annotation_painter.h"
#include "render/font_resolution.h"
#include "ui/font_menu.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

Q_DECLARE_METATYPE(FontResolution::Match)

// Stored font names come from other desktops: the list and the drawing agree
// on what each one becomes here.
class TestFontMenu : public QObject
{
    Q_OBJECT

    static QString systemFamily()
    {
        return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    }

    static QImage drawnWith(const QString& fontName)
    {
        const TextOverlay text{.text = QStringLiteral("Quartz Wiggly 0123"),
                               .fontName = fontName,
                               .textColor = CodableColor::fromPlatformColor(Qt::black),
                               .backgroundColor = std::nullopt};
        QImage canvas = solidImage(400, 100, Qt::white);
        QPainter painter(&canvas);
        drawText(text, painter, 400, 100);
        return canvas;
    }

  private slots:
    void initTestCase()
    {
        // The metric-compatible families the package list installs.
        if (!QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
            QSKIP("fonts-liberation2 is not installed");
    }

    void resolution_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<FontResolution::Match>("match");
        QTest::addColumn<QString>("family"); // empty: the system font
        QTest::newRow("installed") << "DejaVu Sans" << FontResolution::Match::installed << "DejaVu Sans";
        QTest::newRow("case of an installed name")
            << "dejavu sans" << FontResolution::Match::installed << "dejavu sans";
        QTest::newRow("metric stand-in") << "Arial" << FontResolution::Match::substitute << "Liberation Sans";
        QTest::newRow("serif stand-in")
            << "Times New Roman" << FontResolution::Match::substitute << "Liberation Serif";
        QTest::newRow("nothing stands in") << "Menlo" << FontResolution::Match::missing << "";
        QTest::newRow("no name") << "" << FontResolution::Match::missing << "";
    }
    void resolution()
    {
        QFETCH(QString, name);
        QFETCH(FontResolution::Match, match);
        QFETCH(QString, family);
        const FontResolution resolved = resolveFontName(name);
        QCOMPARE(resolved.match, match);
        QCOMPARE(resolved.family, family.isEmpty() ? systemFamily() : family);
    }

    // What the list names is what is drawn.
    void drawingFollowsTheResolution()
    {
        QCOMPARE(drawnWith(QStringLiteral("Arial")), drawnWith(QStringLiteral("Liberation Sans")));
        QVERIFY(drawnWith(QStringLiteral("Arial")) != drawnWith(QString()));
        QCOMPARE(drawnWith(QStringLiteral("Menlo")), drawnWith(QString()));
    }

    void menuKeepsTheNamesAndSaysWhatIsDrawn()
    {
        QComboBox picker;
        fillFontMenu(picker);
        const QList<QString> offered = availableFonts();
        for (int i = 0; i < offered.size(); ++i)
            QCOMPARE(picker.itemData(i).toString(), offered[i]); // stored names stay as they are
        const int arial = picker.findData(QStringLiteral("Arial"));
        QCOMPARE(picker.itemText(arial), QStringLiteral("Arial (as Liberation Sans)"));
        const int menlo = picker.findData(QStringLiteral("Menlo"));
        QCOMPARE(picker.itemText(menlo), QStringLiteral("Menlo (not installed)"));
        QVERIFY(picker.itemData(menlo, Qt::ToolTipRole).toString().contains(systemFamily()));

        // The installed families follow the separator, each drawn as itself.
        QStringList installed;
        for (int i = offered.size() + 1; i < picker.count(); ++i)
            installed << picker.itemData(i).toString();
        QVERIFY(installed.contains(QStringLiteral("Liberation Sans")));
        QVERIFY(installed.contains(QStringLiteral("DejaVu Sans Mono")));
        for (const QString& family : installed)
            QVERIFY2(resolveFontName(family).match == FontResolution::Match::installed, qPrintable(family));
    }
};

QTEST_MAIN(TestFontMenu)
#include "tst_font_menu.moc"
