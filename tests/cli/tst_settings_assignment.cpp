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
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("json");

        QTest::newRow("integer") << "cornerRadius=24"
                                 << "cornerRadius"
                                 << "24.0";
        QTest::newRow("exponent") << "padding=1e2"
                                  << "padding"
                                  << "100.0";
        QTest::newRow("negative offset") << "shadowOffsetY=-10"
                                         << "shadowOffsetY"
                                         << "-10.0";
        QTest::newRow("fraction") << "shadowOpacity=0.5"
                                  << "shadowOpacity"
                                  << "0.5";
        QTest::newRow("true") << "shadowEnabled=true"
                              << "shadowEnabled"
                              << "true";
        QTest::newRow("false") << "paddingUniform=false"
                               << "paddingUniform"
                               << "false";
        QTest::newRow("hex colour") << "borderColor=#FF8000"
                                    << "borderColor" << colorJson(1, 128 / 255.0, 0, 1);
        QTest::newRow("hex colour alpha last") << "solidColor=#ff000080"
                                               << "solidColor" << colorJson(1, 0, 0, 128 / 255.0);
        QTest::newRow("colour object") << R"(solidColor={"red":0.25,"green":0.5,"blue":0.75,"opacity":0.5})"
                                       << "solidColor" << colorJson(0.25, 0.5, 0.75, 0.5);
        QTest::newRow("background enum") << "backgroundType=transparent"
                                         << "backgroundType"
                                         << R"("transparent")";
        QTest::newRow("format enum") << "exportFormat=jpeg"
                                     << "exportFormat"
                                     << R"("jpeg")";
        QTest::newRow("gradient id") << "gradientPresetId=synthwave"
                                     << "gradientPresetId"
                                     << R"("synthwave")";
        QTest::newRow("canvas id with colon") << "canvasPresetId=16:9"
                                              << "canvasPresetId"
                                              << R"("16:9")";
        QTest::newRow("no frame") << "deviceFrameId=none"
                                  << "deviceFrameId"
                                  << R"("none")";
        QTest::newRow("value with equals sign kept whole") << "gradientPresetId=synthwave"
                                                           << "gradientPresetId"
                                                           << R"("synthwave")";
    }

    void accepted()
    {
        QFETCH(QString, argument);
        QFETCH(QString, key);
        QFETCH(QString, json);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        QVERIFY2(parsed.assignment, qPrintable(parsed.error));
        QCOMPARE(parsed.assignment->key, key);
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
        QTest::newRow("word for number") << "padding=wide"
                                         << "padding:";
        QTest::newRow("not a number") << "padding=nan"
                                      << "padding:";
        QTest::newRow("infinity") << "shadowBlur=inf"
                                  << "shadowBlur:";
        QTest::newRow("trailing unit") << "padding=64px"
                                       << "padding:";
        QTest::newRow("zero scale") << "exportScale=0"
                                    << "exportScale:";
        QTest::newRow("negative scale") << "exportScale=-2"
                                        << "exportScale:";
        QTest::newRow("yes for boolean") << "shadowEnabled=yes"
                                         << "shadowEnabled:";
        QTest::newRow("digit for boolean") << "paddingUniform=1"
                                           << "paddingUniform:";
        QTest::newRow("enum case") << "backgroundType=Gradient"
                                   << "backgroundType:";
        QTest::newRow("jpg is not a raw value") << "exportFormat=jpg"
                                                << "exportFormat:";
        QTest::newRow("short hex") << "borderColor=#FFF"
                                   << "borderColor:";
        QTest::newRow("hex without hash") << "borderColor=FF0000"
                                          << "borderColor:";
        QTest::newRow("bad hex digit") << "borderColor=#GG0000"
                                       << "borderColor:";
        QTest::newRow("colour name") << "solidColor=red"
                                     << "solidColor:";
        QTest::newRow("colour object missing key") << R"(solidColor={"red":1})"
                                                   << "solidColor:";
        QTest::newRow("broken colour object") << R"(solidColor={"red":)"
                                              << "solidColor:";
        // "ocean" is the record's default, yet no catalogue entry: asking for
        // it by hand is a typo-like request that would silently give white.
        QTest::newRow("unknown gradient") << "gradientPresetId=ocean"
                                          << "gradientPresetId:";
        QTest::newRow("unknown canvas") << "canvasPresetId=5:4"
                                        << "canvasPresetId:";
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
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QColor>("expected");

        QTest::newRow("opaque") << "#336699" << true << QColor(0x33, 0x66, 0x99, 0xff);
        QTest::newRow("alpha is the last pair") << "#11223344" << true << QColor(0x11, 0x22, 0x33, 0x44);
        QTest::newRow("lower case") << "#abcdef" << true << QColor(0xab, 0xcd, 0xef);
        QTest::newRow("fully transparent") << "#00000000" << true << QColor(0, 0, 0, 0);
        QTest::newRow("short form") << "#123" << false << QColor();
        QTest::newRow("seven digits") << "#1234567" << false << QColor();
        QTest::newRow("no hash") << "11223344" << false << QColor();
        QTest::newRow("blank inside") << "#11 233" << false << QColor();
        QTest::newRow("empty") << "" << false << QColor();
    }

    void cssColor()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QColor, expected);
        const std::optional<CodableColor> color = parseCssColor(text);
        QCOMPARE(color.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(color->red, expected.red() / 255.0);
        QCOMPARE(color->green, expected.green() / 255.0);
        QCOMPARE(color->blue, expected.blue() / 255.0);
        QCOMPARE(color->opacity, expected.alpha() / 255.0);
    }

    void eightDigitsDifferFromCatalogueParser()
    {
        // The same text means different colours to the two parsers; the command
        // line must follow the CSS reading.
        const CodableColor typed = *parseCssColor(u"#ff000080");
        const QColor catalogue = colorFromHex(u"#ff000080");
        QCOMPARE(typed.opacity, 128 / 255.0);
        QCOMPARE(catalogue.alpha(), 255);
        QVERIFY(typed.red != catalogue.redF());
    }

    void laterAssignmentsWin()
    {
        BeautySettings base;
        base.cornerRadius = 5;
        base.padding = 10;
        const QList<SettingsAssignment> assignments = {
            *parseSettingsAssignment(u"padding=20").assignment,
            *parseSettingsAssignment(u"shadowOpacity=0.3").assignment,
            *parseSettingsAssignment(u"padding=30").assignment,
        };
        const std::optional<BeautySettings> result = applySettingsAssignments(base, assignments);
        QVERIFY(result);
        QCOMPARE(result->padding, 30.0);
        QCOMPARE(result->shadowOpacity, 0.3f);
        QCOMPARE(result->cornerRadius, 5.0); // untouched fields keep the base's values

        BeautySettings expected = base;
        expected.padding = 30;
        expected.shadowOpacity = 0.3f;
        QCOMPARE(*result == expected, true);
    }

    void everyFieldCanBeSet()
    {
        // One key per record field, in record order, each accepted by the parser.
        const QStringList keys = settingsFieldKeys();
        QCOMPARE(keys.size(), 23);
        QStringList recordKeys;
        const Json defaults = toJson(BeautySettings{});
        for (const auto& [key, value] : defaults.items())
            recordKeys << QString::fromStdString(key);
        QCOMPARE(keys, recordKeys);
    }
};

QTEST_GUILESS_MAIN(TestSettingsAssignment)
#include "tst_settings_assignment.moc"
