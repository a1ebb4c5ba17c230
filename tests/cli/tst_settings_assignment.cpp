// --set FIELD=VALUE: which values each kind of field accepts, which it refuses
// with an error naming the field, and that later assignments win.

#include "cli/css_color.h"
#include "cli/settings_assignment.h"
#include "model/color_hex.h"

#include <QTest>

using namespace lustrelab;

namespace {

QString dump(const Json& json)
{
    return QString::fromStdString(json.dump());
}

QString colorJson(double r, double g, double b, double a)
{
    return dump(toJson(CodableColor{r, g, b, a}));
}

} // namespace

class TestSettingsAssignment : public QObject
{
    Q_OBJECT

  private slots:
    void accepted_data()
    {
        QTest::addColumn<QString>("argument"); // FIELD=VALUE
        QTest::addColumn<QString>("json");     // the value as the record's JSON holds it

        QTest::newRow("exponent") << "padding=1e2"
                                  << "100.0";
        QTest::newRow("negative") << "shadowOffsetY=-10"
                                  << "-10.0";
        QTest::newRow("boolean") << "paddingUniform=false"
                                 << "false";
        QTest::newRow("hex colour") << "borderColor=#FF8000" << colorJson(1, 128 / 255.0, 0, 1);
        QTest::newRow("alpha last") << "solidColor=#ff000080" << colorJson(1, 0, 0, 128 / 255.0);
        QTest::newRow("colour object") << R"(solidColor={"red":0.25,"green":0.5,"blue":0.75,"opacity":0.5})"
                                       << colorJson(0.25, 0.5, 0.75, 0.5);
        QTest::newRow("enumeration") << "backgroundType=transparent"
                                     << R"("transparent")";
        QTest::newRow("gradient id") << "gradientPresetId=synthwave"
                                     << R"("synthwave")";
        QTest::newRow("id with colon") << "canvasPresetId=16:9"
                                       << R"("16:9")";
        QTest::newRow("no frame") << "deviceFrameId=none"
                                  << R"("none")";
    }

    void accepted()
    {
        QFETCH(QString, argument);
        QFETCH(QString, json);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        QVERIFY2(parsed.assignment, qPrintable(parsed.error));
        QCOMPARE(parsed.assignment->key, argument.section(u'=', 0, 0));
        QCOMPARE(dump(parsed.assignment->value), json);
        // Whatever parses must also survive the strict reader.
        QVERIFY(applySettingsAssignments(BeautySettings{}, {*parsed.assignment}));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("errorStart");

        QTest::newRow("no equals sign") << "padding"
                                        << "expected FIELD=VALUE";
        QTest::newRow("unknown field") << "radius=3"
                                       << "unknown field 'radius'";
        QTest::newRow("field name case") << "CornerRadius=3"
                                         << "unknown field 'CornerRadius'";
        QTest::newRow("empty number") << "padding="
                                      << "padding:";
        QTest::newRow("not a number") << "padding=nan"
                                      << "padding:";
        QTest::newRow("trailing unit") << "padding=64px"
                                       << "padding:";
        QTest::newRow("zero scale") << "exportScale=0"
                                    << "exportScale:";
        QTest::newRow("digit for boolean") << "paddingUniform=1"
                                           << "paddingUniform:";
        QTest::newRow("enum case") << "backgroundType=Gradient"
                                   << "backgroundType:";
        QTest::newRow("short hex") << "borderColor=#FFF"
                                   << "borderColor:";
        QTest::newRow("hex without hash") << "borderColor=FF0000"
                                          << "borderColor:";
        QTest::newRow("colour object missing key") << R"(solidColor={"red":1})"
                                                   << "solidColor:";
        // "ocean" is the record's default yet no catalogue entry: asked for by
        // hand it would silently compose on white.
        QTest::newRow("unknown gradient") << "gradientPresetId=ocean"
                                          << "gradientPresetId:";
        QTest::newRow("unknown frame") << "deviceFrameId=iphone"
                                       << "deviceFrameId:";
    }

    void refused()
    {
        QFETCH(QString, argument);
        QFETCH(QString, errorStart);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        QVERIFY(!parsed.assignment);
        QVERIFY2(parsed.error.startsWith(errorStart), qPrintable(parsed.error));
    }

    void cssColor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected"); // invalid: refused

        QTest::newRow("opaque") << "#336699" << QColor(0x33, 0x66, 0x99, 0xff);
        QTest::newRow("alpha is the last pair") << "#11223344" << QColor(0x11, 0x22, 0x33, 0x44);
        QTest::newRow("lower case") << "#abcdef" << QColor(0xab, 0xcd, 0xef);
        QTest::newRow("seven digits") << "#1234567" << QColor();
        QTest::newRow("no hash") << "11223344" << QColor();
        QTest::newRow("blank inside") << "#11 233" << QColor();
    }

    void cssColor()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const std::optional<CodableColor> color = parseCssColor(text);
        QCOMPARE(color.has_value(), expected.isValid());
        if (color)
            QCOMPARE(*color, (CodableColor{expected.red() / 255.0, expected.green() / 255.0,
                                           expected.blue() / 255.0, expected.alpha() / 255.0}));
    }

    void eightDigitsDifferFromCatalogueParser()
    {
        // The same text means different colours to the two parsers; the command
        // line must follow the CSS reading.
        QCOMPARE(parseCssColor(u"#ff000080")->opacity, 128 / 255.0);
        QCOMPARE(colorFromHex(u"#ff000080").alpha(), 255);
    }

    void laterAssignmentsWin()
    {
        BeautySettings base;
        base.cornerRadius = 5;
        const QList<SettingsAssignment> assignments = {
            *parseSettingsAssignment(u"padding=20").assignment,
            *parseSettingsAssignment(u"shadowOpacity=0.3").assignment,
            *parseSettingsAssignment(u"padding=30").assignment,
        };
        BeautySettings expected = base; // untouched fields keep the base's values
        expected.padding = 30;
        expected.shadowOpacity = 0.3f;
        QCOMPARE(applySettingsAssignments(base, assignments) == expected, true);
    }

    void everyFieldCanBeSet()
    {
        QStringList recordKeys;
        const Json defaults = toJson(BeautySettings{});
        for (const auto& [key, value] : defaults.items())
            recordKeys << QString::fromStdString(key);
        QCOMPARE(settingsFieldKeys(), recordKeys);
    }
};

QTEST_GUILESS_MAIN(TestSettingsAssignment)
#include "tst_settings_assignment.moc"
