// The small controls the sidebars are built from: the wrapping layout, the
// slider rows' value text, and symbol icons that never come out blank.
#include "ui/flow_layout.h"
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
    QImage glyph(16, 16, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    QPainter(&glyph).fillRect(3, 3, 10, 10, QColor(46, 52, 54));
    QVERIFY(glyph.save(root + QStringLiteral("/greyglyphs/16x16/actions/edit-undo.png")));
}

} // namespace

class TestSidebarControls : public QObject
{
    Q_OBJECT

  private slots:
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

    void sliderText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction cut, not rounded") << 12.9 << "12px";
        QTest::newRow("small negative shows no minus") << -0.5 << "0px";
        QTest::newRow("negative cut toward zero") << -49.7 << "-49px";
        QTest::newRow("beyond the range shows as stored") << 300.0 << "300px";
    }
    void sliderText()
    {
        QFETCH(double, value);
        SliderRow row(QStringLiteral("Offset"), -50, 200, QStringLiteral("px"));
        QSignalSpy edits(&row, &SliderRow::valueEdited);
        row.setValue(value);
        QTEST(row.valueText(), "text");
        QCOMPARE(row.value(), value);
        QCOMPARE(edits.count(), 0); // a value from outside is not an edit
    }

    void sliderKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("expected");
        QTest::newRow("right arrow, one unit") << int(Qt::Key_Right) << 13.5;
        QTest::newRow("page up, ten units") << int(Qt::Key_PageUp) << 22.5;
        QTest::newRow("home, the minimum") << int(Qt::Key_Home) << 0.0;
    }
    void sliderKeyboard()
    {
        QFETCH(int, key);
        QFETCH(double, expected);
        SliderRow row(QStringLiteral("Blur"), 0, 100, QStringLiteral("px"));
        row.setValue(12.5);
        QSignalSpy edits(&row, &SliderRow::valueEdited);
        QTest::keyClick(child<QSlider>(row, QStringLiteral("slider")), Qt::Key(key));
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.first().first().toDouble(), expected);
        QCOMPARE(row.value(), expected);
    }

    // Drawn symbols show on either window colour; a theme's icon is taken
    // only where it shows (its dark glyph on a light window), else drawn.
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
        const QImage pixels = icon.pixmap(16, 16).toImage();
        QTEST(QColor(pixels.pixel(8, 8)) == QColor(46, 52, 54), "themed");
        QVERIFY(visiblePixels(icon, window) >= 6);
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(themeName);
    }

    void trashIsTinted()
    {
        const QIcon red = symbolIcon(QStringLiteral("trash"), QPalette(), QColor(215, 38, 38));
        const QImage pixels = red.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        int reddish = 0;
        for (int y = 0; y < pixels.height(); ++y)
            for (int x = 0; x < pixels.width(); ++x) {
                const QColor c = QColor::fromRgba(pixels.pixel(x, y));
                reddish += c.alpha() > 200 && c.red() > 150 && c.green() < 90 ? 1 : 0;
            }
        QVERIFY(reddish > 20);
    }
};

QTEST_MAIN(TestSidebarControls)
#include "tst_sidebar_controls.moc"
