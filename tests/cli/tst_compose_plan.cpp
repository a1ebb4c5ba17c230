// What the compose command settles before it reads any pixels: which
// arguments are usage errors (exit status 2), what accepted ones mean and which
// values each kind of --set field takes; where styled images go (names beside
// the inputs, -o as file or folder, the format it implies, never over an input
// or two inputs into one file); and whether the canvas fits.

#include "cli/compose_options.h"
#include "cli/output_plan.h"
#include "cli/settings_assignment.h"
#include "cli/size_guard.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;

class TestComposePlan : public QObject
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

    void namesAndFormats_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<ExportFormat>("settingsFormat");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<ExportFormat>("expectedFormat");
        const auto png = ExportFormat::png, jpeg = ExportFormat::jpeg;

        QTest::newRow("beside the input") << "x/a.jpg" << png << QString() << "x/a-styled.png" << png;
        QTest::newRow("settings say jpeg") << "a.png" << jpeg << QString() << "a-styled.jpeg" << jpeg;
        QTest::newRow("last suffix only") << "a.b.png" << jpeg << QString() << "a.b-styled.jpeg" << jpeg;
        QTest::newRow("unknown suffix") << "a.png" << jpeg << QString("o.img") << "o.img" << jpeg;
    }

    void namesAndFormats()
    {
        QFETCH(QString, input);
        QFETCH(ExportFormat, settingsFormat);
        QFETCH(QString, output);
        QFETCH(QString, expectedPath);
        QFETCH(ExportFormat, expectedFormat);
        const OutputPlan plan = planOutputs({input}, output, std::nullopt, settingsFormat);
        QCOMPARE(plan.jobs.front().output, expectedPath);
        QCOMPARE(plan.jobs.front().format, expectedFormat);
    }

    void outputs_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("output");    // -o
        QTest::addColumn<QStringList>("paths"); // one per input; empty: refused

        QTest::newRow("output spelt as the input")
            << QStringList{"shot.png"} << "sub/../shot.png" << QStringList{""};
        QTest::newRow("output through a link") << QStringList{"shot.png"} << "link.png" << QStringList{""};
        QTest::newRow("output is another input")
            << QStringList{"shot.png", "shot-styled.png"} << "" << QStringList{"", "shot-styled-styled.png"};
        QTest::newRow("same name from two folders")
            << QStringList{"a/x.png", "b/x.png"} << "new" << QStringList{"new/x-styled.png", ""};
        QTest::newRow("several inputs: -o is a folder")
            << QStringList{"a/x.png", "b/y.jpg"} << "new"
            << QStringList{"new/x-styled.png", "new/y-styled.png"};
        QTest::newRow("one input into an existing folder")
            << QStringList{"a/x.png"} << "b" << QStringList{"b/x-styled.png"};
    }

    void outputs()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, output);
        QFETCH(QStringList, paths);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        QVERIFY(QDir(root).mkpath("b") && QFile(root + "shot.png").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root + "shot.png", root + "link.png"));
        for (QString& input : inputs)
            input.prepend(root);
        const OutputPlan plan =
            planOutputs(inputs, output.isEmpty() ? output : root + output, std::nullopt, ExportFormat::png);
        QCOMPARE(plan.jobs.size(), paths.size());
        for (qsizetype i = 0; i < paths.size(); ++i)
            QCOMPARE(plan.jobs[i].error.isEmpty() ? plan.jobs[i].output : QString(),
                     paths[i].isEmpty() ? QString() : root + paths[i]);
    }

    // A ratio preset grows the short side of the padded image; the guard must
    // measure that canvas, so a limit just under its area refuses and one just
    // over accepts, for wide and tall inputs alike.
    void sizeGuardMeasuresTheRatioCanvas_data()
    {
        QTest::addColumn<QSize>("image"); // padded by 50 on every side
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QSizeF>("canvas");
        QTest::newRow("wide, 16:9 grows the height") << QSize(1600, 100) << "16:9" << QSizeF(1700, 956.25);
        QTest::newRow("tall, 16:9 grows the width") << QSize(100, 1600) << "16:9" << QSizeF(3022.2, 1700);
        QTest::newRow("wide, 9:16 grows the height") << QSize(1600, 100) << "9:16" << QSizeF(1700, 3022.2);
        QTest::newRow("tall, 9:16 grows the width") << QSize(100, 1600) << "9:16" << QSizeF(956.25, 1700);
        QTest::newRow("tall, square") << QSize(300, 2000) << "1:1" << QSizeF(2100, 2100);
        QTest::newRow("wide, square") << QSize(2000, 300) << "1:1" << QSizeF(2100, 2100);
    }
    void sizeGuardMeasuresTheRatioCanvas()
    {
        QFETCH(QSize, image);
        QFETCH(QString, preset);
        QFETCH(QSizeF, canvas);
        BeautySettings settings;
        settings.canvasPresetId = preset;
        settings.padding = 50;
        settings.exportScale = 1;
        const double area = canvas.width() * canvas.height();
        QVERIFY2(!checkComposedSize(image, settings, qint64(area * 0.98)).isEmpty(),
                 "a canvas over the limit");
        const QString accepted = checkComposedSize(image, settings, qint64(area * 1.02));
        QVERIFY2(accepted.isEmpty(), qPrintable(accepted));
    }
};

QTEST_GUILESS_MAIN(TestComposePlan)
#include "tst_compose_plan.moc"
