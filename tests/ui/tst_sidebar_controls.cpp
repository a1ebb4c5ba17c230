// The small controls the sidebars are built from: the wrapping layout, the
// slider rows, symbol icons that never come out blank, the font list (stored
// names come from other desktops), and every text of the window readable
// (WCAG AA, 4.5:1) in light, dark and high-contrast themes.
#include "model/text_overlay.h"
#include "render/annotation_painter.h"
#include "render/font_resolution.h"
#include "ui/flow_layout.h"
#include "ui/font_menu.h"
#include "ui/main_window.h"
#include "ui/readable_text.h"
#include "ui/shell_palette.h"
#include "ui/slider_row.h"
#include "ui/symbol_drawing.h"
#include "ui/symbol_icon.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {
// A one-icon theme whose undo glyph is dark grey, as the symbolic icons of
// some desktop themes are when drawn outside their own toolkit.
void writeDarkGlyphTheme(const QString& root)
{
    QDir(root).mkpath(QStringLiteral("greyglyphs/16x16/actions"));
    QVERIFY(test::writeFile(root + QStringLiteral("/greyglyphs/index.theme"),
                            "[Icon Theme]\nName=greyglyphs\nDirectories=16x16/actions\n\n"
                            "[16x16/actions]\nSize=16\nType=Fixed\n"));
    QImage glyph = solidImage(16, 16, Qt::transparent);
    QPainter(&glyph).fillRect(3, 3, 10, 10, QColor(46, 52, 54));
    QVERIFY(glyph.save(root + QStringLiteral("/greyglyphs/16x16/actions/edit-undo.png")));
}

QString systemFamily()
{
    return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
}

QImage drawnWith(const QString& fontName)
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

struct Scheme
{
    QColor window, text, base, button, highlight;
    QColor faintPlaceholder; // what such themes leave in the role
};

QPalette paletteOf(const Scheme& scheme)
{
    QPalette palette(scheme.text, scheme.button, scheme.button.lighter(130), scheme.button.darker(130),
                     scheme.button.darker(115), scheme.text, scheme.text, scheme.base, scheme.window);
    palette.setColor(QPalette::Highlight, scheme.highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ButtonText, scheme.text);
    palette.setColor(QPalette::PlaceholderText, scheme.faintPlaceholder);
    return palette;
}

// The colour behind `widget`: that of the nearest widget that fills its
// background, else the window's.
QColor backgroundOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(QPalette::Active, w->backgroundRole());
    return {};
}

} // namespace

class TestSidebarControls : public QObject
{
    Q_OBJECT
    IsolatedHome m_home;

    static QStringList faintTexts(const QWidget& window)
    {
        QStringList faults;
        const QColor secondary = shell::secondaryColor(window.palette());
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
            if (contrastRatio(secondary, window.palette().color(role)) < 4.5)
                faults << QStringLiteral("secondary symbols and dates on role %1").arg(int(role));
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty() || label->window() != &window)
                continue;
            const QColor background = backgroundOf(label);
            const QColor text =
                composited(label->palette().color(QPalette::Active, label->foregroundRole()), background);
            const double ratio = contrastRatio(text, background);
            if (ratio < 4.5)
                faults << QString::asprintf("\"%s\" at %.2f:1 (%s on %s)", qPrintable(label->text().left(30)),
                                            ratio, qPrintable(text.name()), qPrintable(background.name()));
        }
        return faults;
    }

  private slots:
    void init()
    {
        // The font tests need the metric-compatible families the package list installs.
        const QByteArrayList fontTests{"resolution", "menuKeepsTheNamesAndSaysWhatIsDrawn"};
        if (fontTests.contains(QTest::currentTestFunction()) &&
            !QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
            QSKIP("fonts-liberation2 is not installed");
    }
    void cleanup() { QApplication::setPalette(QPalette()); }

    // Items 20 high, 6 apart, in a 100 wide line.
    void flowPositions_data()
    {
        QTest::addColumn<QList<int>>("itemWidths");
        QTest::addColumn<QList<QPoint>>("positions");
        QTest::addColumn<int>("height");
        QTest::newRow("too wide item keeps its line, next one wraps")
            << QList<int>{150, 40} << QList<QPoint>{{0, 0}, {0, 26}} << 46;
        QTest::newRow("exact fit stays on the line")
            << QList<int>{47, 47} << QList<QPoint>{{0, 0}, {53, 0}} << 20;
        QTest::newRow("one pixel over wraps") << QList<int>{47, 48} << QList<QPoint>{{0, 0}, {0, 26}} << 46;
        QTest::newRow("wide item after a short one starts a line")
            << QList<int>{40, 150, 40} << QList<QPoint>{{0, 0}, {0, 26}, {0, 52}} << 72;
    }
    void flowPositions()
    {
        QFETCH(QList<int>, itemWidths);
        QFETCH(QList<QPoint>, positions);
        QFETCH(int, height);
        const int width = 100;
        QWidget host;
        auto* flow = new FlowLayout(&host, 6);
        QList<QWidget*> items;
        for (int itemWidth : itemWidths) {
            auto* item = new QWidget(&host);
            item->setFixedSize(itemWidth, 20);
            flow->addWidget(item);
            items << item;
            if (items.size() == 1) { // a hidden item takes no place
                auto* hidden = new QWidget(&host);
                hidden->setFixedSize(30, 20);
                hidden->hide();
                flow->addWidget(hidden);
            }
        }

        QCOMPARE(flow->heightForWidth(width), height);
        flow->setGeometry(QRect(10, 5, width, height));
        for (qsizetype i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->pos(), positions[i] + QPoint(10, 5));
            QCOMPARE(items[i]->size(), QSize(itemWidths[i], 20));
        }
    }

    // A value set from outside is shown as stored and is no edit; a key on the
    // slider is one edit, to the value the key gives.
    void sliderRow_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("key"); // 0: none
        QTest::addColumn<double>("after");
        QTest::addColumn<QString>("text");
        QTest::newRow("small negative shows no minus") << -0.5 << 0 << -0.5 << "0px";
        QTest::newRow("negative cut toward zero") << -49.7 << 0 << -49.7 << "-49px";
        QTest::newRow("beyond the range shows as stored") << 300.0 << 0 << 300.0 << "300px";
        QTest::newRow("page up, ten units") << 12.5 << int(Qt::Key_PageUp) << 22.5 << "22px";
        QTest::newRow("home, the minimum") << 12.5 << int(Qt::Key_Home) << -50.0 << "-50px";
    }
    void sliderRow()
    {
        QFETCH(double, value);
        QFETCH(int, key);
        QFETCH(double, after);
        SliderRow row(QStringLiteral("Offset"), -50, 200, QStringLiteral("px"));
        QSignalSpy edits(&row, &SliderRow::valueEdited);
        row.setValue(value);
        QCOMPARE(edits.count(), 0);
        if (key)
            QTest::keyClick(child<QSlider>(row, QStringLiteral("slider")), Qt::Key(key));
        QCOMPARE(edits.count(), key ? 1 : 0);
        if (key)
            QCOMPARE(edits.first().first().toDouble(), after);
        QCOMPARE(row.value(), after);
        QTEST(row.valueText(), "text");
    }

    // Drawn symbols show on either window colour, in their tint when given
    // one; a theme's icon is taken only where it shows (its dark glyph on a
    // light window), else drawn.
    void iconsNeverBlank_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("themed");
        QTest::newRow("light") << paletteWith(QColor(239, 239, 239), QColor(20, 20, 20)) << true;
        QTest::newRow("dark") << paletteWith(QColor(40, 40, 44), QColor(235, 235, 235)) << false;
    }
    void iconsNeverBlank()
    {
        QFETCH(QPalette, palette);
        const QColor window = palette.color(QPalette::Window);
        QStringList names = drawnSymbolNames();
        names << QStringLiteral("no.such.symbol");
        for (const QString& name : names) {
            const QIcon icon = symbolIcon(name, palette);
            QVERIFY2(visiblePixels(icon, window) >= 6, qPrintable(name));
            QVERIFY2(visiblePixels(icon, window, QIcon::Disabled) >= 1, qPrintable(name));
        }

        QTemporaryDir themes;
        writeDarkGlyphTheme(themes.path());
        const QStringList searchPaths = QIcon::themeSearchPaths();
        const QString themeName = QIcon::themeName();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("greyglyphs"));
        QVERIFY(QIcon::hasThemeIcon(themeIconName(QStringLiteral("arrow.uturn.backward"))));
        const QIcon icon = symbolIcon(QStringLiteral("arrow.uturn.backward"), palette);
        QTEST(QColor(icon.pixmap(16, 16).toImage().pixel(8, 8)) == QColor(46, 52, 54), "themed");
        QVERIFY(visiblePixels(icon, window) >= 6);
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(themeName);
        const QIcon red = symbolIcon(QStringLiteral("trash"), palette, QColor(215, 38, 38));
        const QImage pixels = red.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        const auto* bits = reinterpret_cast<const QRgb*>(pixels.constBits());
        QVERIFY(std::count_if(bits, bits + pixels.width() * pixels.height(), [](QRgb p) {
                    return qAlpha(p) > 200 && qRed(p) > 150 && qGreen(p) < 90;
                }) > 20);
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
        QTest::newRow("nothing stands in") << "Menlo" << FontResolution::Match::missing << "";
        QTest::newRow("no name") << "" << FontResolution::Match::missing << "";
    }
    // What the list names is what is drawn.
    void resolution()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        const FontResolution resolved = resolveFontName(name);
        QTEST(resolved.match, "match");
        QCOMPARE(resolved.family, family.isEmpty() ? systemFamily() : family);
        QCOMPARE(drawnWith(name), drawnWith(family));
        if (resolved.match == FontResolution::Match::substitute)
            QVERIFY(drawnWith(name) != drawnWith(QString()));
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

    void textsRead_data()
    {
        QTest::addColumn<Scheme>("scheme");
        QTest::addColumn<bool>("switchWhileOpen");
        const Scheme light{QColor(239, 239, 239), QColor(35, 38, 41),   Qt::white,
                           QColor(239, 239, 239), QColor(61, 174, 233), QColor(190, 190, 190)};
        const Scheme dark{QColor(36, 36, 36),   Qt::white,         QColor(30, 30, 30), QColor(48, 48, 48),
                          QColor(53, 132, 228), QColor(80, 80, 80)};
        const Scheme breezeDark{QColor(49, 54, 59), QColor(252, 252, 252), QColor(35, 38, 41),
                                QColor(49, 54, 59), QColor(61, 174, 233),  QColor(96, 96, 96)};
        const Scheme highContrast{Qt::black, Qt::white,           Qt::black,
                                  Qt::black, QColor(255, 255, 0), QColor(64, 64, 64)};
        QTest::newRow("light") << light << false;
        QTest::newRow("dark") << dark << false;
        QTest::newRow("KDE Breeze dark") << breezeDark << false;
        QTest::newRow("high contrast") << highContrast << false;
        QTest::newRow("light, then dark while open") << dark << true;
    }
    void textsRead()
    {
        QFETCH(Scheme, scheme);
        QFETCH(bool, switchWhileOpen);
        QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear();
        QApplication::setPalette(switchWhileOpen ? QPalette(Qt::black, QColor(239, 239, 239))
                                                 : paletteOf(scheme));
        AppState state(m_home.filePath(QStringLiteral("templates")));
        QVERIFY(loadAndCompose(state));
        state.templateManager().saveTemplate(QStringLiteral("Dated"),
                                             BeautySettings()); // a row with its date
        state.addTextOverlay();                                 // the text settings with their captions
        MainWindow window(state);
        window.resize(1200, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (switchWhileOpen)
            QApplication::setPalette(paletteOf(scheme));
        QTRY_COMPARE(window.palette().color(QPalette::Window), scheme.window);

        QStringList faults = faintTexts(window);
        segment(*named<QWidget>(window, "tabPicker"), 1)->click(); // the Share page
        faults << faintTexts(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestSidebarControls)
#include "tst_sidebar_controls.moc"
