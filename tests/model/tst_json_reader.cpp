// Every stored record is read by one reader, so a fault deep inside a file is
// reported the same way whichever file it is in: the whole key path from the
// record down, then what was expected and what stood there. Ids are read in
// the one form every file has held.
#include "model/annotations_json.h"
#include "model/json_reader.h"
#include "model/model_json.h"
#include "model/uuid_text.h"

#include <QTest>

using namespace lustrelab;

namespace {

enum class Record { settings, annotations, gradient, color };

// The message for `json` read as `record`; empty when it was read.
QString errorOf(Record record, const Json& json)
{
    QString error;
    switch (record) {
    case Record::settings:
        beautySettingsFromJson(json, &error);
        break;
    case Record::annotations:
        annotationsFromJson(json, &error);
        break;
    case Record::gradient:
        customGradientFromJson(json, &error);
        break;
    case Record::color:
        codableColorFromJson(json, &error);
        break;
    }
    return error;
}

// Default settings with one value, found by a JSON pointer, set from JSON text.
Json settingsWith(const char* pointer, const char* value)
{
    Json json = toJson(BeautySettings{});
    json[Json::json_pointer(pointer)] = Json::parse(value);
    return json;
}

} // namespace

Q_DECLARE_METATYPE(Record)

class TestJsonReader : public QObject
{
    Q_OBJECT

  private slots:
    void keyPaths_data()
    {
        QTest::addColumn<Record>("record");
        QTest::addColumn<Json>("json");
        QTest::addColumn<QString>("error"); // empty: read
        const auto row = [](const char* name, Record record, const Json& json, const char* error) {
            QTest::newRow(name) << record << json << QString::fromUtf8(error);
        };
        row("stop colour three levels down", Record::settings,
            settingsWith("/customGradient/stops/1/color", R"({"red":1,"green":0,"blue":0})"),
            "settings.customGradient.stops[1].color.opacity: missing");
        row("stop position out of range", Record::settings,
            settingsWith("/customGradient/stops/0/position", "1.5"),
            "settings.customGradient.stops[0].position: expected a number from 0 to 1");
        row("too few stops", Record::settings, settingsWith("/customGradient/stops", "[]"),
            "settings.customGradient.stops: expected 2 to 5 entries, found 0");
        row("stops not an array", Record::settings, settingsWith("/customGradient/stops", "{}"),
            "settings.customGradient.stops: expected an array, found object");
        row("colours may be CSS hex", Record::settings,
            settingsWith("/customGradient/stops/0/color", "\"#ff000080\""), "");
        row("a CSS name is no colour", Record::settings, settingsWith("/solidColor", "\"red\""),
            "settings.solidColor: expected a colour object or \"#RRGGBB\" / \"#RRGGBBAA\", found \"red\"");
        row("a fraction beyond 1", Record::settings, settingsWith("/backgroundImageDim", "1.25"),
            "settings.backgroundImageDim: expected a number from 0 to 1");
        row("enumeration lists its values", Record::gradient, Json::parse(R"({"kind":7})"),
            R"(customGradient.kind: expected one of "linear", "radial", "conic", found 7)");
        row("marker colour in a list", Record::annotations,
            Json::parse(R"({"stepMarkers":[{"position":{"x":0,"y":0}},)"
                        R"({"position":{"x":0,"y":0},"color":{"red":"1","green":0,"blue":0,"opacity":1}}]})"),
            R"(annotations.stepMarkers[1].color.red: expected a number, found "1")");
        row("a point with a third coordinate", Record::annotations,
            Json::parse(R"({"textOverlays":[{"position":{"x":0,"y":0,"z":1}}]})"),
            "annotations.textOverlays[0].position.z: unknown key");
        row("id with braces", Record::annotations,
            Json::parse(R"({"removalAreas":[{"id":"{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00}",)"
                        R"("rect":{"x":0,"y":0,"width":1,"height":1}}]})"),
            "");
        row("id of another shape", Record::annotations,
            Json::parse(R"({"removalAreas":[{"id":"6f1c1e597a3b4f7e9a510d2b5c1e9f00",)"
                        R"("rect":{"x":0,"y":0,"width":1,"height":1}}]})"),
            R"(annotations.removalAreas[0].id: expected a UUID string, found "6f1c1e597a3b4f7e9a510d2b5c1e9f00")");
        row("a long string is cut in the message", Record::annotations,
            Json::parse(R"({"textOverlays":[{"fontSize":"01234567890123456789012345678901234567890123"}]})"),
            "annotations.textOverlays[0].fontSize: expected a number, found "
            "\"0123456789012345678901234567890123456789\u2026\"");
        row("a colour that is not an object", Record::color, Json::parse("[1]"),
            "color: expected an object, found array");
    }
    void keyPaths()
    {
        QFETCH(Record, record);
        QFETCH(Json, json);
        QTEST(errorOf(record, json), "error");
    }

    // The first failure is the one reported, however many follow.
    void firstFailureWins()
    {
        const Json json = Json::parse(R"({"a":"x","b":"y","list":[{"c":1},{"c":"z"}]})");
        JsonReader reader(json, QStringLiteral("top"));
        double a = 5, b = 6;
        reader.read("a", a);
        reader.read("b", b);
        reader.fail("b", QStringLiteral("later"));
        QCOMPARE(reader.error(), QStringLiteral(R"(top.a: expected a number, found "x")"));
        QCOMPARE(a, 5.0); // a value that fails keeps its default
        QCOMPARE(b, 6.0);
        QList<double> values;
        JsonReader list(json, QString());
        list.readObjects("list", 0, 5, [&](JsonReader& item) {
            double c = 0;
            item.read("c", c);
            values.append(c);
        });
        list.require({"missing"});
        QCOMPARE(list.error(), QStringLiteral(R"(list[1].c: expected a number, found "z")"));
        QCOMPARE(values, (QList<double>{1, 0}));
    }

    void uuids_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::newRow("as written") << "6F1C1E59-7A3B-4F7E-9A51-0D2B5C1E9F00" << true;
        QTest::newRow("lower case") << "6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00" << true;
        QTest::newRow("braced, as sessions held them") << "{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00}" << true;
        QTest::newRow("one brace") << "{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00" << false;
        QTest::newRow("other separators") << "6f1c1e59_7a3b_4f7e_9a51_0d2b5c1e9f00" << false;
        QTest::newRow("no separators") << "6f1c1e597a3b4f7e9a510d2b5c1e9f00" << false;
        QTest::newRow("nil") << "00000000-0000-0000-0000-000000000000" << false;
        QTest::newRow("empty") << "" << false;
    }
    void uuids()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        const std::optional<QUuid> id = uuidFromText(text);
        QCOMPARE(id.has_value(), read);
        if (read) // and written back in the one form files hold
            QCOMPARE(uuidText(*id), QStringLiteral("6F1C1E59-7A3B-4F7E-9A51-0D2B5C1E9F00"));
    }
};

QTEST_GUILESS_MAIN(TestJsonReader)
#include "tst_json_reader.moc"
