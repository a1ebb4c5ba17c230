// The compose command line: which arguments are usage errors (exit status 2),
// what accepted ones mean, and which values each kind of --set field takes.

#include "cli/compose_options.h"
#include "cli/settings_assignment.h"

#include <QTest>

using namespace lustrelab;

class TestComposeArguments : public QObject
{
    Q_OBJECT

  private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        auto input = [](QStringList more) { return QStringList{"a.png"} + more; }; // one image, then these
        auto set = [&input](const char* assignment) { return input({"--set", assignment}); };
        QTest::newRow("only options") << QStringList{"--scale", "2"} << "no input image given";
        QTest::newRow("unknown option") << input({"--colour", "red"}) << "unknown option '--colour'";
        QTest::newRow("settings and template")
            << input({"--settings", "s.json", "--template", "T"}) << "--settings and --template";
        QTest::newRow("zero scale") << input({"--scale", "0"}) << "--scale needs a positive number";
        QTest::newRow("unknown format") << input({"--format", "gif"}) << "--format needs png or jpeg";
        QTest::newRow("standard input") << QStringList{"-"} << "reading from standard input";
        QTest::newRow("--set without equals sign") << set("padding") << "--set expected FIELD=VALUE";
        QTest::newRow("--set unknown field") << set("radius=3") << "--set unknown field 'radius'";
        QTest::newRow("--set not a number") << set("padding=nan") << "--set padding:";
        QTest::newRow("--set opacity beyond a float") << set("shadowOpacity=1e39") << "--set shadowOpacity:";
        QTest::newRow("--set zero scale") << set("exportScale=0") << "--set exportScale:";
        QTest::newRow("--set digit for boolean") << set("paddingUniform=1") << "--set paddingUniform:";
        QTest::newRow("--set enum case") << set("backgroundType=Gradient") << "--set backgroundType:";
        QTest::newRow("--set short hex") << set("borderColor=#FFF") << "--set borderColor:";
        QTest::newRow("--set colour without a key") << set(R"(solidColor={"red":1})") << "--set solidColor:";
        // "ocean" is the record's default yet no catalogue entry: asked for by
        // hand it would silently compose on white.
        QTest::newRow("--set unknown gradient") << set("gradientPresetId=ocean") << "--set gradientPresetId:";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const ComposeParse parse = parseComposeArguments(arguments);
        QVERIFY2(parse.usageError.startsWith(error), qPrintable(parse.usageError));
    }

    void everyOptionIsRead()
    {
        const ComposeParse parse =
            parseComposeArguments({"a.png", "--output=out", "--template", "Blog", "--set", "padding=10",
                                   "b.png", "--set=cornerRadius=0", "--annotations", "notes.json", "--scale",
                                   "1.5", "--format", "jpg", "--", "-dash.png"});
        QVERIFY2(parse.usageError.isEmpty(), qPrintable(parse.usageError));
        const ComposeOptions& o = parse.options;
        QCOMPARE(o.inputs, (QStringList{"a.png", "b.png", "-dash.png"}));
        QCOMPARE(o.output, QStringLiteral("out"));
        QCOMPARE(o.templateName, QStringLiteral("Blog"));
        QCOMPARE(o.annotationsFile, QStringLiteral("notes.json"));
        QCOMPARE(o.assignments.size(), 2);
        QCOMPARE(o.assignments[1].key, QStringLiteral("cornerRadius"));
        QCOMPARE(o.scale, std::optional<double>(1.5));
        QCOMPARE(o.format, std::optional<ExportFormat>(ExportFormat::jpeg));
        QVERIFY(parseComposeArguments({"--help"}).options.help); // needs no input
    }

    void setAccepted_data()
    {
        QTest::addColumn<QString>("argument"); // FIELD=VALUE
        QTest::addColumn<Json>("value");       // as the record's JSON holds it

        QTest::newRow("number") << "shadowOffsetY=-1e1" << Json(-10.0);
        QTest::newRow("boolean") << "paddingUniform=false" << Json(false);
        QTest::newRow("#RRGGBB") << "borderColor=#FF8000" << toJson(CodableColor{1, 128 / 255.0, 0, 1});
        // Alpha last, as colour pickers write it (unlike the catalogue's form).
        QTest::newRow("#RRGGBBAA") << "solidColor=#ff000080" << toJson(CodableColor{1, 0, 0, 128 / 255.0});
        QTest::newRow("colour object") << R"(solidColor={"red":0.25,"green":0.5,"blue":0.75,"opacity":0.5})"
                                       << toJson(CodableColor{0.25, 0.5, 0.75, 0.5});
        QTest::newRow("enumeration") << "backgroundType=transparent" << Json("transparent");
        QTest::newRow("preset id") << "canvasPresetId=16:9" << Json("16:9");
    }

    void setAccepted()
    {
        QFETCH(QString, argument);
        QFETCH(Json, value);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        QVERIFY2(parsed.assignment, qPrintable(parsed.error));
        QCOMPARE(parsed.assignment->key, argument.section(u'=', 0, 0));
        QVERIFY2(parsed.assignment->value == value, parsed.assignment->value.dump().c_str());
        // Whatever parses must also survive the strict reader.
        QVERIFY(applySettingsAssignments(BeautySettings{}, {*parsed.assignment}));
    }

    void setKnowsEveryField()
    {
        const Json record = toJson(BeautySettings{});
        for (const auto& [key, value] : record.items()) {
            const AssignmentParse parsed = parseSettingsAssignment(QString::fromStdString(key + "="));
            QVERIFY2(!parsed.error.startsWith("unknown field"), key.c_str());
        }
    }

    void laterSetWins()
    {
        BeautySettings base;
        base.cornerRadius = 5;
        BeautySettings expected = base; // untouched fields keep the base's values
        expected.padding = 30;
        expected.shadowOpacity = 0.3f;
        QVERIFY(applySettingsAssignments(base, {*parseSettingsAssignment(u"padding=20").assignment,
                                                *parseSettingsAssignment(u"shadowOpacity=0.3").assignment,
                                                *parseSettingsAssignment(u"padding=30").assignment}) ==
                expected);
    }
};

QTEST_GUILESS_MAIN(TestComposeArguments)
#include "tst_compose_arguments.moc"
