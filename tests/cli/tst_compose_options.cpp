// Parsing of the compose command line: which argument lists are usage errors
// (exit status 2), what the accepted ones mean, and a help text that covers them.

#include "cli/compose_options.h"

#include <QTest>

using namespace lustrelab;

class TestComposeOptions : public QObject
{
    Q_OBJECT

  private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        QTest::newRow("only options") << QStringList{"--scale", "2"} << "no input image given";
        QTest::newRow("unknown option")
            << QStringList{"a.png", "--colour", "red"} << "unknown option '--colour'";
        QTest::newRow("settings and template")
            << QStringList{"a.png", "--settings", "s.json", "--template", "T"} << "--settings and --template";
        QTest::newRow("bad set") << QStringList{"a.png", "--set", "padding=x"} << "--set padding:";
        QTest::newRow("zero scale") << QStringList{"a.png", "--scale", "0"}
                                    << "--scale needs a positive number";
        QTest::newRow("scale at the end")
            << QStringList{"a.png", "--scale"} << "--scale needs a positive number";
        QTest::newRow("unknown format")
            << QStringList{"a.png", "--format", "gif"} << "--format needs png or jpeg";
        QTest::newRow("standard input") << QStringList{"-"} << "reading from standard input";
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
        QVERIFY(!o.help);
    }

    void helpNeedsNoInputAndNamesEveryField()
    {
        const ComposeParse parse = parseComposeArguments({"--help"});
        QVERIFY(parse.options.help && parse.usageError.isEmpty());
        const Json record = toJson(BeautySettings{});
        for (const auto& [key, value] : record.items())
            QVERIFY2(composeHelp().contains(QString::fromStdString(key)), key.c_str());
    }
};

QTEST_GUILESS_MAIN(TestComposeOptions)
#include "tst_compose_options.moc"
