// Custom gradients read from JSON: a kind may leave out what it does not draw
// with (a linear gradient its centre, a radial one its angle), never what it
// does; and the full form every file has been written in reads as before.
// Inside a settings file or --set: tst_process.
#include "model/model_json.h"
#include "record_printers.h"

#include <QTest>

using namespace lustrelab;

namespace {

const QList<GradientStop> twoStops{{{1, 0, 0, 1}, 0}, {{0, 0, 1, 0.5}, 1}};

// `members` (without braces) and the two stops above.
Json gradientJson(const char* members)
{
    return Json::parse(std::string("{") + members +
                       R"(,"stops":[{"color":{"red":1,"green":0,"blue":0,"opacity":1},"position":0},)"
                       R"({"color":{"red":0,"green":0,"blue":1,"opacity":0.5},"position":1}]})");
}

} // namespace

class TestCustomGradientJson : public QObject
{
    Q_OBJECT

  private slots:
    void read_data()
    {
        QTest::addColumn<Json>("json");
        QTest::addColumn<CustomGradient>("expected"); // unused when an error is expected
        QTest::addColumn<QString>("error");           // the reader's, without "customGradient."
        const auto row = [](const char* name, const char* members, CustomGradient expected,
                            const char* error = "") {
            expected.stops = twoStops;
            QTest::newRow(name) << gradientJson(members) << expected << QString::fromLatin1(error);
        };
        row("linear without a centre", R"("kind":"linear","angle":90)", {GradientKind::linear, 90, 0.5, 0.5});
        row("radial without an angle", R"("kind":"radial","centerX":0.25,"centerY":0.75)",
            {GradientKind::radial, 0, 0.25, 0.75});
        // Given anyway, they are kept: switching the kind in the window brings them back.
        row("linear with a centre", R"("kind":"linear","angle":10,"centerX":0.1,"centerY":0.2)",
            {GradientKind::linear, 10, 0.1, 0.2});
        row("radial with an angle", R"("kind":"radial","angle":30,"centerX":0.3,"centerY":0.4)",
            {GradientKind::radial, 30, 0.3, 0.4});
        row("linear needs its angle", R"("kind":"linear","centerX":0.5,"centerY":0.5)", {}, "angle: missing");
        row("radial needs its centre", R"("kind":"radial","angle":0,"centerX":0.5)", {}, "centerY: missing");
        row("conic needs its angle", R"("kind":"conic","centerX":0.5,"centerY":0.5)", {}, "angle: missing");
        row("conic needs its centre", R"("kind":"conic","angle":0,"centerY":0.5)", {}, "centerX: missing");
        row("a left-out key is still typed when given", R"("kind":"linear","angle":0,"centerX":"middle")", {},
            R"(centerX: expected a number, found "middle")");
        row("unknown kind", R"("kind":"diamond")", {},
            R"(kind: expected one of "linear", "radial", "conic", found "diamond")");
    }
    void read()
    {
        QFETCH(Json, json);
        QFETCH(QString, error);
        QString reason;
        const std::optional<CustomGradient> gradient = customGradientFromJson(json, &reason);
        if (!error.isEmpty()) {
            QVERIFY(!gradient);
            QCOMPARE(reason, "customGradient." + error);
            return;
        }
        QVERIFY2(gradient, qPrintable(reason));
        QTEST(*gradient, "expected");
    }

    // Written as always, every key of every kind, and read back the same.
    void writtenInFull_data()
    {
        QTest::addColumn<CustomGradient>("gradient");
        for (GradientKind kind : allCases<GradientKind>())
            QTest::newRow(qPrintable(rawValue(kind))) << CustomGradient{kind, -30.5, 0.125, 0.875, twoStops};
    }
    void writtenInFull()
    {
        QFETCH(CustomGradient, gradient);
        const Json written = Json::parse(toJson(gradient).dump());
        for (const char* key : {"kind", "angle", "centerX", "centerY", "stops"})
            QVERIFY2(written.contains(key), key);
        QCOMPARE(customGradientFromJson(written).value(), gradient);
    }
};

QTEST_GUILESS_MAIN(TestCustomGradientJson)
#include "tst_custom_gradient_json.moc"
