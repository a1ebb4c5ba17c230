#include "ui/main_window.h"
#include "ui/readable_text.h"
#include "ui/shell_palette.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

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

Q_DECLARE_METATYPE(Scheme)

// Every text of the window reads against its background (WCAG AA, 4.5:1) in
// light, dark and high-contrast themes, also after a theme switch while the
// window is open.
class TestContrast : public QObject
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
                faults << QStringLiteral("\"%1\" at %2:1 (%3 on %4)")
                              .arg(label->text().left(30))
                              .arg(ratio, 0, 'f', 2)
                              .arg(text.name(), background.name());
        }
        return faults;
    }

  private slots:
    void cleanup() { QApplication::setPalette(QPalette()); }

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

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
