// The styling record as JSON: written key for key in the record's order,
// read back to the same values, read from files written before the later
// keys, and refused naming the key when a value is missing or wrong.
#include "model/model_json.h"
#include "record_printers.h"

#include <QRegularExpression>
#include <QTest>
#include <limits>

using namespace lustrelab;

namespace {

// The default record as written, key for key.
const char* const defaultRecord =
    R"({"cornerRadius":12.0,"borderWidth":0.0,"borderColor":{"red":1.0,"green":1.0,)"
    R"("blue":1.0,"opacity":1.0},"shadowEnabled":true,"shadowBlur":40.0,)"
    R"("shadowOffsetX":0.0,"shadowOffsetY":10.0,"shadowOpacity":0.25,)"
    R"("shadowColor":{"red":0.0,"green":0.0,"blue":0.0,"opacity":1.0},)"
    R"("paddingUniform":true,"padding":64.0,"paddingTop":64.0,"paddingBottom":64.0,)"
    R"("paddingLeading":64.0,"paddingTrailing":64.0,"autoBalance":false,)"
    R"("backgroundType":"gradient","gradientPresetId":"ocean",)"
    R"("customGradient":{"kind":"linear","angle":45.0,"centerX":0.5,"centerY":0.5,)"
    R"("stops":[{"color":{"red":0.388,"green":0.4,"blue":0.945,"opacity":1.0},)"
    R"("position":0.0},{"color":{"red":0.925,"green":0.282,"blue":0.6,)"
    R"("opacity":1.0},"position":1.0}]},)"
    R"("solidColor":{"red":1.0,"green":1.0,"blue":1.0,"opacity":1.0},)"
    R"("backgroundImagePath":"","backgroundImageBlur":0.0,"backgroundImageDim":0.0,)"
    R"("canvasPresetId":"auto","customWidth":1920.0,)"
    R"("customHeight":1080.0,"deviceFrameId":"none","exportScale":2.0,)"
    R"("exportFormat":"png"})";

// A default record as the first versions wrote it, before any later key:
// stored files of that age must keep loading, and each of its keys is required.
const char* const firstRecord =
    R"({"cornerRadius":12.0,"borderWidth":0.0,"borderColor":{"red":1.0,"green":1.0,)"
    R"("blue":1.0,"opacity":1.0},"shadowEnabled":true,"shadowBlur":40.0,)"
    R"("shadowOffsetX":0.0,"shadowOffsetY":10.0,"shadowOpacity":0.25,)"
    R"("paddingUniform":true,"padding":64.0,"paddingTop":64.0,"paddingBottom":64.0,)"
    R"("paddingLeading":64.0,"paddingTrailing":64.0,)"
    R"("backgroundType":"gradient","gradientPresetId":"ocean",)"
    R"("solidColor":{"red":1.0,"green":1.0,"blue":1.0,"opacity":1.0},)"
    R"("canvasPresetId":"auto","customWidth":1920.0,)"
    R"("customHeight":1080.0,"deviceFrameId":"none","exportScale":2.0,)"
    R"("exportFormat":"png"})";

} // namespace

class TestSettingsJson : public QObject
{
    Q_OBJECT
  private slots:
    void writesKeysInRecordOrder()
    {
        QCOMPARE(QByteArray::fromStdString(toJson(BeautySettings{}).dump()), QByteArray(defaultRecord));
    }

    void writtenRecordsReadBack_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::newRow("default") << BeautySettings{};
        // Every field differs from its default and from its neighbours.
        BeautySettings all;
        all.cornerRadius = 0.5, all.borderWidth = 3.25, all.borderColor = {0.1, 1.0 / 3.0, 0, 0.5};
        all.shadowEnabled = false, all.shadowBlur = 0, all.shadowOffsetX = -7.125, all.shadowOffsetY = 1e-3;
        all.shadowOpacity = 0.3f, all.shadowColor = {0.9, 0.25, 0.125, 0.75}, all.paddingUniform = false;
        all.padding = 1, all.paddingTop = 2, all.paddingBottom = 3, all.paddingLeading = 4;
        all.paddingTrailing = 5, all.autoBalance = true, all.backgroundType = BackgroundType::transparent;
        all.gradientPresetId = QStringLiteral("ocean-deep \u00e9\u2603");
        all.customGradient = {GradientKind::conic, -30.5, 0.25, 0.875, {}};
        all.customGradient.stops = {{{0, 0, 0, 0.5}, 0.1}, {{1, 0.5, 0, 1}, 0.9}, {{0, 1, 0, 1}, 0.4}};
        all.solidColor = {0.2, 0.4, 0.6, 0.8}, all.backgroundImagePath = QStringLiteral("/tmp/bg \u00e9.png");
        all.backgroundImageBlur = 12.5, all.backgroundImageDim = 0.375, all.exportFormat = ExportFormat::jpeg;
        all.canvasPresetId = QStringLiteral("16:9"), all.customWidth = 640.5, all.customHeight = 480;
        all.deviceFrameId = QStringLiteral("ipadpro13"), all.exportScale = 3;
        QTest::newRow("every field changed") << all;
        QTest::newRow("extreme magnitudes")
            << BeautySettings{.shadowOpacity = std::numeric_limits<float>::denorm_min(),
                              .padding = std::numeric_limits<double>::denorm_min(),
                              .customWidth = std::numeric_limits<double>::max()};
    }
    void writtenRecordsReadBack()
    {
        QFETCH(BeautySettings, settings);
        QString error;
        const auto read = beautySettingsFromJson(Json::parse(toJson(settings).dump()), &error);
        QVERIFY2(read.has_value(), qPrintable(error));
        QCOMPARE(*read, settings);
    }

    // Templates and settings files written before the later keys (shadow
    // colour, custom and image backgrounds, auto-balance) read unchanged, to
    // the look they were made with; keys from a newer version are ignored,
    // and hand-edited whole numbers read as numbers.
    void storedRecordsRead_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<BeautySettings>("expected");
        QTest::newRow("written before the later keys") << QByteArray(firstRecord) << BeautySettings{};
        QTest::newRow("extra keys, whole numbers")
            << QByteArray(firstRecord)
                   .replace(R"("cornerRadius":12.0)", R"("futureField":{"nested":true},"cornerRadius":7)")
                   .replace(R"("shadowOpacity":0.25)", R"("shadowOpacity":1)")
                   .replace(R"("opacity":1.0})", R"("opacity":1.0,"alpha":0.0})")
            << BeautySettings{.cornerRadius = 7, .shadowOpacity = 1};
    }
    void storedRecordsRead()
    {
        QFETCH(QByteArray, json);
        QString error;
        const auto read = beautySettingsFromJson(Json::parse(json.toStdString()), &error);
        QVERIFY2(read.has_value(), qPrintable(error));
        QTEST(*read, "expected");
    }

    // A 32-bit opacity widened to double would be written as 0.30000001192092896.
    void shadowOpacityShortestDecimal_data()
    {
        QTest::addColumn<float>("opacity");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("0.3") << 0.3f << QByteArray("0.3");
        QTest::newRow("one") << 1.0f << QByteArray("1.0");
        QTest::newRow("needs eight digits") << 0.123456789f << QByteArray("0.12345679");
    }
    void shadowOpacityShortestDecimal()
    {
        QFETCH(float, opacity);
        const Json json = toJson(BeautySettings{.shadowOpacity = opacity});
        QTEST(QByteArray::fromStdString(json["shadowOpacity"].dump()), "written");
        QCOMPARE(beautySettingsFromJson(Json::parse(json.dump())).value().shadowOpacity, opacity);
    }

    // Every key of the first record is required, and every value must have
    // the right type or raw value. How nested paths and ranges are named:
    // tst_json_reader.
    void rejectionNamesTheKey_data()
    {
        QTest::addColumn<QString>("pointer");        // the value changed
        QTest::addColumn<QByteArray>("replacement"); // JSON text; empty: the key is removed
        const Json first = Json::parse(firstRecord);
        for (const auto& item : first.items())
            QTest::addRow("%s missing", item.key().c_str())
                << "/" + QString::fromStdString(item.key()) << QByteArray();
        QTest::newRow("colour lacks opacity") << "/solidColor/opacity" << QByteArray();
        QTest::newRow("number as string") << "/cornerRadius" << QByteArray(R"("12")");
        QTest::newRow("number as null") << "/shadowBlur" << QByteArray("null");
        QTest::newRow("boolean as number") << "/shadowEnabled" << QByteArray("1");
        QTest::newRow("id as number") << "/gradientPresetId" << QByteArray("5");
        QTest::newRow("unknown background") << "/backgroundType" << QByteArray(R"("checkerboard")");
        QTest::newRow("background wrong case") << "/backgroundType" << QByteArray(R"("Gradient")");
        QTest::newRow("format as number") << "/exportFormat" << QByteArray("0");
        QTest::newRow("colour as string") << "/borderColor" << QByteArray(R"("white")");
        QTest::newRow("colour component as bool") << "/borderColor/green" << QByteArray("true");
        QTest::newRow("optional colour, when given, checked") << "/shadowColor/red" << QByteArray(R"("0")");
        QTest::newRow("gradient kind unknown") << "/customGradient/kind" << QByteArray(R"("diamond")");
        QTest::newRow("stop without colour") << "/customGradient/stops/0/color" << QByteArray();
        QTest::newRow("image path as number") << "/backgroundImagePath" << QByteArray("1");
        QTest::newRow("opacity beyond float range") << "/shadowOpacity" << QByteArray("1e300");
        QTest::newRow("not an object") << "" << QByteArray("[1,2]");
    }
    void rejectionNamesTheKey()
    {
        QFETCH(QString, pointer);
        QFETCH(QByteArray, replacement);
        Json json = toJson(BeautySettings{});
        const Json::json_pointer at(pointer.toStdString());
        if (replacement.isEmpty())
            json[at.parent_pointer()].erase(at.back());
        else
            json[at] = Json::parse(replacement.toStdString());
        QString error;
        QVERIFY(!beautySettingsFromJson(json, &error));
        // Array entries are named as "stops[1]".
        const QString key =
            "settings" + QString(pointer)
                             .replace(QRegularExpression(QStringLiteral("/(\\d+)")), QStringLiteral("[\\1]"))
                             .replace(u'/', u'.');
        QCOMPARE(error.section(QStringLiteral(": "), 0, 0), key);
        if (replacement.isEmpty())
            QCOMPARE(error, key + QStringLiteral(": missing"));
        QVERIFY(!beautySettingsFromJson(json)); // no error sink is fine too
    }
};

QTEST_GUILESS_MAIN(TestSettingsJson)
#include "tst_settings_json.moc"
