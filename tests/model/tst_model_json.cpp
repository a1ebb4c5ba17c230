#include "model/model_json.h"

#include <QTest>

using namespace lustrelab;

namespace {

// The stored form of a styling record: these 23 keys, in this order.
const QStringList settingsKeys = {"cornerRadius",   "borderWidth",     "borderColor",    "shadowEnabled",
                                  "shadowBlur",     "shadowOffsetX",   "shadowOffsetY",  "shadowOpacity",
                                  "paddingUniform", "padding",         "paddingTop",     "paddingBottom",
                                  "paddingLeading", "paddingTrailing", "backgroundType", "gradientPresetId",
                                  "solidColor",     "canvasPresetId",  "customWidth",    "customHeight",
                                  "deviceFrameId",  "exportScale",     "exportFormat"};

BeautySettings everyFieldChanged()
{
    BeautySettings s;
    s.cornerRadius = 0.5;
    s.borderWidth = 3.25;
    s.borderColor = {0.1, 1.0 / 3.0, 0, 0.5};
    s.shadowEnabled = false;
    s.shadowBlur = 0;
    s.shadowOffsetX = -7.125;
    s.shadowOffsetY = 1e-3;
    s.shadowOpacity = 0.3f;
    s.paddingUniform = false;
    s.padding = 1;
    s.paddingTop = 2;
    s.paddingBottom = 3;
    s.paddingLeading = 4;
    s.paddingTrailing = 5;
    s.backgroundType = BackgroundType::transparent;
    s.gradientPresetId = QStringLiteral("ocean-deep \u00e9\u2603");
    s.solidColor = {0.2, 0.4, 0.6, 0.8};
    s.canvasPresetId = QStringLiteral("16:9");
    s.customWidth = 640.5;
    s.customHeight = 480;
    s.deviceFrameId = QStringLiteral("ipadpro13");
    s.exportScale = 3;
    s.exportFormat = ExportFormat::jpeg;
    return s;
}

Json parse(const char* text)
{
    return Json::parse(text);
}

} // namespace

class TestModelJson : public QObject
{
    Q_OBJECT
  private slots:
    void roundTrip_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::newRow("default") << BeautySettings{};
        QTest::newRow("every field changed") << everyFieldChanged();
        BeautySettings tiny;
        tiny.shadowOpacity = std::numeric_limits<float>::denorm_min();
        tiny.padding = std::numeric_limits<double>::denorm_min();
        tiny.customWidth = std::numeric_limits<double>::max();
        QTest::newRow("extreme magnitudes") << tiny;
    }
    void roundTrip()
    {
        QFETCH(BeautySettings, settings);
        const std::string text = toJson(settings).dump();
        QString error;
        const auto read = beautySettingsFromJson(Json::parse(text), &error);
        QVERIFY2(read.has_value(), qPrintable(error));
        QVERIFY(*read == settings);
    }

    void writesCompactText()
    {
        const std::string text = toJson(BeautySettings{}).dump();
        QCOMPARE(QByteArray::fromStdString(text),
                 QByteArray(R"({"cornerRadius":12.0,"borderWidth":0.0,"borderColor":{"red":1.0,"green":1.0,)"
                            R"("blue":1.0,"opacity":1.0},"shadowEnabled":true,"shadowBlur":40.0,)"
                            R"("shadowOffsetX":0.0,"shadowOffsetY":10.0,"shadowOpacity":0.25,)"
                            R"("paddingUniform":true,"padding":64.0,"paddingTop":64.0,"paddingBottom":64.0,)"
                            R"("paddingLeading":64.0,"paddingTrailing":64.0,"backgroundType":"gradient",)"
                            R"("gradientPresetId":"ocean","solidColor":{"red":1.0,"green":1.0,"blue":1.0,)"
                            R"("opacity":1.0},"canvasPresetId":"auto","customWidth":1920.0,)"
                            R"("customHeight":1080.0,"deviceFrameId":"none","exportScale":2.0,)"
                            R"("exportFormat":"png"})"));
    }

    void shadowOpacityShortestDecimal_data()
    {
        QTest::addColumn<float>("opacity");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("0.3") << 0.3f << QByteArray("0.3");
        QTest::newRow("0.1") << 0.1f << QByteArray("0.1");
        QTest::newRow("0.7") << 0.7f << QByteArray("0.7");
        QTest::newRow("one") << 1.0f << QByteArray("1.0");
        QTest::newRow("needs eight digits") << 0.123456789f << QByteArray("0.12345679");
    }
    void shadowOpacityShortestDecimal()
    {
        QFETCH(float, opacity);
        QFETCH(QByteArray, written);
        BeautySettings s;
        s.shadowOpacity = opacity;
        const Json json = toJson(s);
        QCOMPARE(QByteArray::fromStdString(json["shadowOpacity"].dump()), written);
        const auto read = beautySettingsFromJson(Json::parse(json.dump()));
        QVERIFY(read);
        QCOMPARE(read->shadowOpacity, opacity);
    }

    void missingKeyIsNamed_data()
    {
        QTest::addColumn<QString>("key");
        for (const QString& key : settingsKeys)
            QTest::newRow(qPrintable(key)) << key;
    }
    void missingKeyIsNamed()
    {
        QFETCH(QString, key);
        Json json = toJson(BeautySettings{});
        QCOMPARE(json.erase(key.toStdString()), std::size_t(1));
        QString error;
        QVERIFY(!beautySettingsFromJson(json, &error));
        QCOMPARE(error, QStringLiteral("settings.%1: missing").arg(key));
    }

    void malformedValueIsNamed_data()
    {
        QTest::addColumn<QString>("pointer"); // JSON pointer of the value to replace
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("namedKey");
        QTest::newRow("number as string") << "/cornerRadius"
                                          << R"("12")"
                                          << "settings.cornerRadius";
        QTest::newRow("number as null") << "/shadowBlur"
                                        << "null"
                                        << "settings.shadowBlur";
        QTest::newRow("boolean as number") << "/shadowEnabled"
                                           << "1"
                                           << "settings.shadowEnabled";
        QTest::newRow("boolean as string") << "/paddingUniform"
                                           << R"("true")"
                                           << "settings.paddingUniform";
        QTest::newRow("id as number") << "/gradientPresetId"
                                      << "5"
                                      << "settings.gradientPresetId";
        QTest::newRow("unknown background") << "/backgroundType"
                                            << R"("checkerboard")"
                                            << "settings.backgroundType";
        QTest::newRow("background wrong case") << "/backgroundType"
                                               << R"("Gradient")"
                                               << "settings.backgroundType";
        QTest::newRow("unknown format") << "/exportFormat"
                                        << R"("jpg")"
                                        << "settings.exportFormat";
        QTest::newRow("format as number") << "/exportFormat"
                                          << "0"
                                          << "settings.exportFormat";
        QTest::newRow("colour as string") << "/borderColor"
                                          << R"("white")"
                                          << "settings.borderColor";
        QTest::newRow("colour lacks opacity") << "/solidColor"
                                              << R"({"red":1,"green":1,"blue":1})"
                                              << "settings.solidColor.opacity";
        QTest::newRow("colour component as bool") << "/borderColor/green"
                                                  << "true"
                                                  << "settings.borderColor.green";
        QTest::newRow("opacity beyond float range") << "/shadowOpacity"
                                                    << "1e300"
                                                    << "settings.shadowOpacity";
    }
    void malformedValueIsNamed()
    {
        QFETCH(QString, pointer);
        QFETCH(QString, replacement);
        QFETCH(QString, namedKey);
        Json json = toJson(BeautySettings{});
        json[Json::json_pointer(pointer.toStdString())] = Json::parse(replacement.toStdString());
        QString error;
        QVERIFY(!beautySettingsFromJson(json, &error));
        QVERIFY2(error.startsWith(namedKey + QStringLiteral(": ")), qPrintable(error));
    }

    void firstBadKeyInRecordOrderIsNamed()
    {
        Json json = toJson(BeautySettings{});
        json["exportFormat"] = "gif";
        json.erase("borderWidth");
        QString error;
        QVERIFY(!beautySettingsFromJson(json, &error));
        QCOMPARE(error, QStringLiteral("settings.borderWidth: missing"));
    }

    void notAnObject()
    {
        QString error;
        QVERIFY(!beautySettingsFromJson(parse("[1,2]"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("settings: ")), qPrintable(error));
        QVERIFY(!codableColorFromJson(parse("null"), &error));
        QVERIFY(!beautySettingsFromJson(parse("{}"))); // no error sink is fine too
    }

    void extraKeysIgnored()
    {
        Json json = toJson(everyFieldChanged());
        json["futureField"] = {{"nested", true}};
        json["borderColor"]["alpha"] = 0.0;
        const auto read = beautySettingsFromJson(json);
        QVERIFY(read);
        QVERIFY(*read == everyFieldChanged());
    }

    void integerNumbersAccepted()
    {
        // A hand-edited file may write whole numbers without a fraction.
        Json json = toJson(BeautySettings{});
        for (const char* key : {"cornerRadius", "shadowBlur", "padding", "customWidth", "exportScale"})
            json[key] = 7;
        json["shadowOpacity"] = 1;
        json["borderColor"] = parse(R"({"red":0,"green":1,"blue":0,"opacity":1})");
        const auto read = beautySettingsFromJson(json);
        QVERIFY(read);
        QCOMPARE(read->cornerRadius, 7.0);
        QCOMPARE(read->exportScale, 7.0);
        QCOMPARE(read->shadowOpacity, 1.0f);
        QVERIFY(read->borderColor == (CodableColor{0, 1, 0, 1}));
    }

    void colourOnItsOwn()
    {
        const CodableColor c{0.1, 0.2, 1.0 / 3.0, 0};
        QCOMPARE(QByteArray::fromStdString(toJson(CodableColor{}).dump()),
                 QByteArray(R"({"red":1.0,"green":1.0,"blue":1.0,"opacity":1.0})"));
        const auto read = codableColorFromJson(Json::parse(toJson(c).dump()));
        QVERIFY(read);
        QVERIFY(*read == c);
        QString error;
        QVERIFY(!codableColorFromJson(parse(R"({"red":1,"blue":1,"opacity":1})"), &error));
        QCOMPARE(error, QStringLiteral("color.green: missing"));
    }
};

QTEST_GUILESS_MAIN(TestModelJson)
#include "tst_model_json.moc"
