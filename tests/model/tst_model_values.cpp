// The model's plain values: colours, tab names, gradient stops, the preset
// and frame catalogues, a pointer's path simplified within its tolerance and
// budget, and the styling record as JSON, written key for key and read strictly.
#include "model/canvas_preset.h"
#include "model/codable_color.h"
#include "model/color_hex.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"
#include "model/gradient_stops.h"
#include "model/model_json.h"
#include "model/polyline_simplification.h"
#include "model/screenshot_tab.h"
#include "model/styling_fields.h"
#include "record_printers.h"
#include "test_fixtures.h"

#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <numbers>

using namespace lustrelab;

namespace {

const CodableColor red{1, 0, 0, 1}, blue{0, 0, 1, 0};

QString number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QString boolean(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

QString cells(const GradientPreset& p)
{
    return QStringList{p.id, p.name, rawValue(p.category), number(p.angle), p.colors.join(u',')}.join(u'|');
}

QString cells(const DeviceFrame& f)
{
    return QStringList{f.id,
                       f.name,
                       rawValue(f.category),
                       number(f.bezelWidth),
                       number(f.cornerRadius),
                       number(f.screenCornerRadius),
                       rawValue(f.frameColor),
                       boolean(f.hasDynamicIsland),
                       boolean(f.hasNotch)}
        .join(u'|');
}

template <typename T, typename Find> bool eachIdFindsItself(const QList<T>& records, Find find)
{
    return std::all_of(records.begin(), records.end(), [&](const T& r) {
        const T* found = find(r.id);
        return found && *found == r;
    });
}

template <typename T> QStringList idsOf(const QList<T>& records)
{
    return test::mapped(records, &T::id);
}

// The catalogue's own order, filtered: what a category tab must list.
template <typename T, typename C> QStringList idsIn(const QList<T>& records, C category)
{
    QStringList ids;
    for (const T& r : records)
        if (r.category == category)
            ids << r.id;
    return ids;
}

bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-12 && std::abs(a.y() - b.y()) < 1e-12;
}

// Integer positions, as a mouse reports them.
QList<QPointF> quantised(const QList<QPointF>& points)
{
    return test::mapped(points, [](QPointF p) { return QPointF(std::round(p.x()), std::round(p.y())); });
}

// Loops of varying size drifting right: 2 s at 120 Hz.
QList<QPointF> scribble()
{
    QList<QPointF> points;
    for (int i = 0; i < 240; ++i) {
        const double t = i / 120.0;
        const double radius = 40 + 25 * std::sin(3 * t);
        points.append({100 + 120 * t + radius * std::cos(2 * std::numbers::pi * 1.5 * t),
                       200 + radius * std::sin(2 * std::numbers::pi * 1.5 * t)});
    }
    return quantised(points);
}

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
// stored files of that age must keep loading, whatever the field table says.
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

// Added later and optional: a record written before them reads as the default.
QList<std::string> laterKeys()
{
    QList<std::string> keys;
    for (const StylingField& field : stylingFields())
        if (field.since > 1)
            keys << field.key;
    return keys;
}

} // namespace

class TestModelValues : public QObject
{
    Q_OBJECT
  private slots:
    void colorFromHex_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("three digits") << "#F0F" << QColor(255, 0, 255, 255);
        QTest::newRow("six digits") << "ff8000" << QColor(255, 128, 0, 255);
        QTest::newRow("trailing blank trimmed") << "#ff8000 " << QColor(255, 128, 0, 255);
        QTest::newRow("eight digits, alpha first") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("five digits is black") << "12345" << QColor(0, 0, 0, 255);
        QTest::newRow("unparsable eight gives alpha 0") << "zz123456" << QColor(0, 0, 0, 0);
        QTest::newRow("scan stops at non-hex") << "#12g456" << QColor(0, 0, 0x12, 255);
    }
    void colorFromHex()
    {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        QCOMPARE(lustrelab::colorFromHex(hex).name(QColor::HexArgb), expected.name(QColor::HexArgb));
    }

    void defaultTabName_data()
    {
        QTest::addColumn<QDateTime>("createdAt");
        QTest::addColumn<QString>("name");
        const QDate day(2026, 3, 14);
        QTest::newRow("afternoon, 24-hour clock") << QDateTime(day, QTime(14, 5, 9)) << "Screenshot 14:05:09";
        QTest::newRow("end of the same second")
            << QDateTime(day, QTime(9, 3, 7, 999)) << "Screenshot 09:03:07";
        QTest::newRow("given in UTC, shown in local time")
            << QDateTime(day, QTime(23, 59, 59)).toUTC() << "Screenshot 23:59:59";
    }
    void defaultTabName()
    {
        QFETCH(QDateTime, createdAt);
        QTEST(lustrelab::defaultTabName(createdAt), "name");
    }

    void colourFromPlatformColour_data()
    {
        QTest::addColumn<QColor>("platform");
        QTest::addColumn<CodableColor>("expected");
        QTest::newRow("invalid becomes opaque white") << QColor() << CodableColor{1, 1, 1, 1};
        QTest::newRow("hsv converted to rgb") << QColor::fromHsvF(0, 1, 1) << CodableColor{1, 0, 0, 1};
        QTest::newRow("transparent keeps zero alpha") << QColor(0, 0, 0, 0) << CodableColor{0, 0, 0, 0};
    }
    void colourFromPlatformColour()
    {
        QFETCH(QColor, platform);
        QTEST(CodableColor::fromPlatformColor(platform), "expected");
    }

    void colorBetweenStops_data()
    {
        QTest::addColumn<QList<GradientStop>>("stops");
        QTest::addColumn<double>("position");
        QTest::addColumn<CodableColor>("expected");
        const QList<GradientStop> inward{{blue, 0.75}, {red, 0.25}}; // list order is not position order
        QTest::newRow("between, opacity too") << inward << 0.5 << CodableColor{0.5, 0, 0.5, 0.5};
        QTest::newRow("before the first holds it") << inward << 0.0 << red;
        QTest::newRow("after the last holds it") << inward << 1.0 << blue;
    }
    void colorBetweenStops()
    {
        QFETCH(QList<GradientStop>, stops);
        QFETCH(double, position);
        QTEST(colorAt(stops, position), "expected");
    }

    void countStaysWithinLimits()
    {
        QList<GradientStop> stops{{red, 0}, {blue, 1}};
        QVERIFY(!removeStop(stops, 0)); // two is the least
        QCOMPARE(stops.size(), 2);
        for (int i = 0; i < 3; ++i)
            QVERIFY(addStop(stops, 0.1 * (i + 1)));
        QCOMPARE(addStop(stops, 0.9), std::nullopt); // five is the most
        QCOMPARE(stops.size(), 5);
        QCOMPARE(stops[2].color, (CodableColor{0.9, 0, 0.1, 0.9})); // added at 0.1 in the colour shown there
        QVERIFY(removeStop(stops, 4));
        QVERIFY(!removeStop(stops, 9));
        QCOMPARE(stops.size(), 4);
    }

    void positionsAreClampedAndFound()
    {
        QList<GradientStop> stops{{red, 0.1}, {blue, 0.9}};
        moveStop(stops, 0, -3);
        moveStop(stops, 1, std::numeric_limits<double>::quiet_NaN()); // ignored
        QCOMPARE(stops[0].position, 0.0);
        QCOMPARE(stops[1].position, 0.9);
        QCOMPARE(*addStop(stops, 7), 2);
        QCOMPARE(stops[2].position, 1.0);
        QCOMPARE(stopNear(stops, 0.93, 0.05), std::optional<qsizetype>(1));
        QCOMPARE(stopNear(stops, 0.5, 0.05), std::nullopt);
    }

    // The ends of each catalogue in full and that lookup reaches every canvas preset: a lost or reordered
    // entry shows here without a copy of every table. `lustrelab presets` counts the entries and their
    // distinct ids (tst_process); what they draw is probed with the frames and backgrounds they make
    // (tst_composition). Ids match exactly: no case folding, no trimming, display names are not ids. A
    // category lists the catalogue's own order filtered; "All" holds every preset and "None" only the
    // no-frame entry.
    void catalogues_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const auto& gradients = gradientPresets();
        const auto& frames = deviceFrames();
        QTest::newRow("first gradient")
            << cells(gradients.first())
            << "aurora-borealis|Aurora Borealis|Featured|45|#00C9FF,#92FE9D,#00C9FF,#F0F";
        QTest::newRow("last gradient")
            << cells(gradients.last()) << "vercel-black|Vercel|Solid|0|#000000,#000000";
        QTest::newRow("canvas presets, ratio first")
            << idsOf(ratioCanvasPresets() + socialCanvasPresets()).join(u' ')
            << "auto 4:3 3:2 16:9 1:1 9:16 21:9 twitter facebook instagram instagram-story linkedin youtube "
               "pinterest tiktok";
        QTest::newRow("canvas lookup") << boolean(eachIdFindsItself(ratioCanvasPresets(), findCanvasPreset) &&
                                                  eachIdFindsItself(socialCanvasPresets(), findCanvasPreset))
                                       << "true";
        QTest::newRow("no frame first")
            << cells(frames.first()) << "none|No Frame|None|0|0|0|black|false|false";
        QTest::newRow("last frame") << cells(frames.last())
                                    << "browserarc|Arc|Browser|0|12|0|black|false|false";
        QTest::newRow("gradient id, other case") << boolean(findGradientPreset(u"Ocean-Deep")) << "false";
        QTest::newRow("gradient id, not trimmed") << boolean(findGradientPreset(u"ocean-deep ")) << "false";
        QTest::newRow("gradient display name") << boolean(findGradientPreset(u"Cotton Candy")) << "false";
        QTest::newRow("empty gradient id") << boolean(findGradientPreset(u"")) << "false";
        QTest::newRow("canvas id, other case") << boolean(findCanvasPreset(u"Auto")) << "false";
        QTest::newRow("canvas display name") << boolean(findCanvasPreset(u"Twitter/X")) << "false";
        QTest::newRow("frame id, lower-cased") << boolean(findDeviceFrame(u"iphonese")) << "false";
        QTest::newRow("frame display name") << boolean(findDeviceFrame(u"Safari")) << "false";
        for (GradientCategory c : allCases<GradientCategory>())
            QTest::addRow("gradients %s", qPrintable(rawValue(c)))
                << idsOf(presetsInCategory(c)).join(u' ')
                << (c == GradientCategory::all ? idsOf(gradients) : idsIn(gradients, c)).join(u' ');
        for (DeviceCategory c : allCases<DeviceCategory>())
            QTest::addRow("frames %s", qPrintable(rawValue(c)))
                << idsOf(framesInCategory(c)).join(u' ') << idsIn(frames, c).join(u' ');
    }
    void catalogues()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void swatchGeometry_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        const double lo = 0.5 - 0.5 * std::sqrt(0.5), hi = 0.5 + 0.5 * std::sqrt(0.5);
        QTest::newRow("0: right edge to left edge") << "pure-white" << QPointF(1, 0.5) << QPointF(0, 0.5);
        QTest::newRow("135: bottom-left to top-right")
            << "cosmic-fusion" << QPointF(lo, hi) << QPointF(hi, lo);
    }
    void swatchGeometry()
    {
        QFETCH(QString, id);
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        const GradientPreset* p = findGradientPreset(id);
        const QLinearGradient g = p->swatchGradient();
        // The unit square stretches over whatever rectangle the swatch fills.
        QCOMPARE(g.coordinateMode(), QGradient::ObjectMode);
        QVERIFY(near(g.start(), start));
        QVERIFY(near(g.finalStop(), end));
        const QGradientStops stops = g.stops();
        QCOMPARE(stops.size(), p->colors.size());
        for (qsizetype i = 0; i < stops.size(); ++i) {
            QCOMPARE(stops[i].first, double(i) / double(stops.size() - 1));
            QCOMPARE(stops[i].second, lustrelab::colorFromHex(p->colors[i]));
        }
    }

    void keptPathStaysWithinTolerance_data()
    {
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("atMost"); // points kept
        QList<QPointF> line;
        for (int i = 0; i < 100; ++i)
            line.append({i * 3.0, i * 1.5});
        QTest::newRow("a straight line keeps its two ends") << line << 0.4 << 2;
        QTest::newRow("a 2 s scribble at 120 Hz") << scribble() << 0.4 << 200;
        QList<QPointF> zigzag;
        for (int i = 0; i < 50; ++i)
            zigzag.append({i * 4.0, i % 2 ? 10.0 : 0.0});
        QTest::newRow("a zigzag keeps every corner") << zigzag << 0.4 << 50;
        QList<QPointF> still(30, QPointF(5, 5));
        QTest::newRow("a pointer held still") << still << 0.4 << 2;
        // Too short to simplify: kept as they are.
        QTest::newRow("two points") << QList<QPointF>{{0, 0}, {0.1, 0.1}} << 5.0 << 2;
        QTest::newRow("one point") << QList<QPointF>{{3, 4}} << 5.0 << 1;
        QTest::newRow("no points") << QList<QPointF>() << 5.0 << 0;
    }
    void keptPathStaysWithinTolerance()
    {
        QFETCH(QList<QPointF>, path);
        QFETCH(double, tolerance);
        QFETCH(int, atMost);
        const QList<QPointF> kept = simplifyPolyline(path, tolerance);
        QVERIFY2(kept.size() <= atMost, qPrintable(QString::number(kept.size())));
        QCOMPARE(kept.value(0), path.value(0));
        QCOMPARE(kept.value(kept.size() - 1), path.value(path.size() - 1));
        for (const QPointF& p : path)
            QVERIFY(lustrelab::distanceToPolyline(p, kept) <= tolerance + 1e-9);
        // Kept points are input points, in their order.
        qsizetype from = 0;
        for (const QPointF& p : kept) {
            from = path.indexOf(p, from);
            QVERIFY(from >= 0);
        }
    }

    void distanceToThePolyline_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("distance");
        QTest::newRow("above a segment") << QPointF(5, 3) << 3.0;
        QTest::newRow("beyond the end") << QPointF(13, 14) << 5.0;
        QTest::newRow("on the corner") << QPointF(10, 0) << 0.0;
    }
    void distanceToThePolyline()
    {
        QFETCH(QPointF, point);
        QTEST(lustrelab::distanceToPolyline(point, {{0, 0}, {10, 0}, {10, 10}}), "distance");
    }

    void recordsRead_data()
    {
        QTest::addColumn<Json>("json");
        QTest::addColumn<BeautySettings>("expected");
        const auto written = [](const BeautySettings& s) { return Json::parse(toJson(s).dump()); };
        QTest::newRow("default") << written({}) << BeautySettings{};
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
        QTest::newRow("every field changed") << written(all) << all;
        const BeautySettings extreme{.shadowOpacity = std::numeric_limits<float>::denorm_min(),
                                     .padding = std::numeric_limits<double>::denorm_min(),
                                     .customWidth = std::numeric_limits<double>::max()};
        QTest::newRow("extreme magnitudes") << written(extreme) << extreme;
        // Templates and settings files written before the later keys (shadow
        // colour, custom and image backgrounds, auto-balance) read unchanged, to
        // the look they were made with.
        QTest::newRow("written before the later keys") << Json::parse(firstRecord) << BeautySettings{};
        // Keys from a newer version are ignored, and hand-edited whole numbers read as numbers.
        Json edited = toJson(BeautySettings{});
        edited["futureField"] = {{"nested", true}};
        edited["borderColor"]["alpha"] = 0.0;
        edited["cornerRadius"] = 7;
        edited["shadowOpacity"] = 1;
        QTest::newRow("extra keys, whole numbers")
            << edited << BeautySettings{.cornerRadius = 7, .shadowOpacity = 1};
    }
    void recordsRead()
    {
        QFETCH(Json, json);
        QString error;
        const auto read = beautySettingsFromJson(json, &error);
        QVERIFY2(read.has_value(), qPrintable(error));
        QTEST(*read, "expected");
    }

    void writesKeysInRecordOrder()
    {
        QCOMPARE(QByteArray::fromStdString(toJson(BeautySettings{}).dump()), QByteArray(defaultRecord));
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

    // Every key of the record but the later ones is required, and every value must have the right type or raw
    // value.
    void rejectionNamesTheKey_data()
    {
        QTest::addColumn<QString>("pointer");          // the value changed
        QTest::addColumn<QByteArray>("replacement");   // JSON text; empty: the key is removed
        const Json written = toJson(BeautySettings{}); // its keys are pinned by writesKeysInRecordOrder
        for (const auto& item : written.items())
            if (!laterKeys().contains(item.key()))
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
        QTest::newRow("gradient with one stop")
            << "/customGradient/stops"
            << QByteArray(R"([{"color":)"
                          R"({"red":0,"green":0,"blue":0,"opacity":1},"position":0}])");
        QTest::newRow("gradient stops not an array") << "/customGradient/stops" << QByteArray("{}");
        QTest::newRow("stop beyond the end") << "/customGradient/stops/1/position" << QByteArray("1.5");
        QTest::newRow("stop without colour") << "/customGradient/stops/0/color" << QByteArray();
        QTest::newRow("dim beyond one") << "/backgroundImageDim" << QByteArray("2");
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

QTEST_GUILESS_MAIN(TestModelValues)
#include "tst_model_values.moc"
