#include "model/beauty_settings.h"
#include "model/canvas_preset.h"
#include "model/canvas_tool.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"
#include "model/screenshot_tab.h"

#include <QTest>

using namespace lustrelab;

namespace {

template <typename E> QStringList rawValuesOf()
{
    QStringList raws;
    for (E e : allCases<E>())
        raws << rawValue(e);
    return raws;
}

// Every raw value parses back to its own case; near misses parse to nothing.
template <typename E> bool parsesStrictly()
{
    for (E e : allCases<E>()) {
        const QString raw = rawValue(e);
        if (fromRawValue<E>(raw) != e)
            return false;
        for (const QString& miss : {raw.toLower(), raw.toUpper(), raw + u' ', u' ' + raw})
            if (miss != raw && fromRawValue<E>(miss))
                return false;
    }
    return !fromRawValue<E>(u"") && !fromRawValue<E>(u"unknown");
}

template <typename E> void addEnumRow(const char* name, const QStringList& expected)
{
    QTest::newRow(name) << rawValuesOf<E>() << expected << parsesStrictly<E>();
}

} // namespace

class TestModelRecords : public QObject
{
    Q_OBJECT
  private slots:
    void enumerationRawValues_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("strict");
        addEnumRow<BackgroundType>("BackgroundType", {"gradient", "solid", "transparent"});
        addEnumRow<ExportFormat>("ExportFormat", {"png", "jpeg"});
        addEnumRow<FontWeight>("FontWeight", {"Ultra Light", "Thin", "Light", "Regular", "Medium", "Semibold",
                                              "Bold", "Heavy", "Black"});
        addEnumRow<ShapeType>("ShapeType",
                              {"Rectangle", "Rounded Rect", "Ellipse", "Line", "Arrow", "Highlight", "Blur"});
        addEnumRow<ArrowStyle>("ArrowStyle", {"Single", "Double", "None"});
        addEnumRow<RemovalMethod>("RemovalMethod", {"Content-Aware", "Solid Color"});
        addEnumRow<CanvasTool>("CanvasTool", {"Select", "Text", "Shape", "Remove"});
        addEnumRow<CanvasCategory>("CanvasCategory", {"Ratio", "Social"});
        addEnumRow<DeviceCategory>("DeviceCategory", {"None", "iPhone", "iPad", "Mac", "Browser"});
        addEnumRow<GradientCategory>("GradientCategory",
                                     {"All", "Featured", "Purple", "Blue", "Green", "Orange", "Pink", "Dark",
                                      "Light", "Multi", "Solid"});
        addEnumRow<FrameColor>("FrameColor", {"black", "white", "silver", "gold", "spacegray", "natural"});
    }
    void enumerationRawValues()
    {
        QFETCH(QStringList, actual);
        QFETCH(QStringList, expected);
        QFETCH(bool, strict);
        QCOMPARE(actual, expected);
        QVERIFY(strict);
    }

    void defaultTabName_data()
    {
        QTest::addColumn<QDateTime>("createdAt");
        QTest::addColumn<QString>("name");
        const QDate day(2026, 3, 14);
        QTest::newRow("afternoon, 24-hour clock") << QDateTime(day, QTime(14, 5, 9)) << "Screenshot 14:05:09";
        QTest::newRow("midnight") << QDateTime(day, QTime(0, 0, 0)) << "Screenshot 00:00:00";
        QTest::newRow("start of a second") << QDateTime(day, QTime(9, 3, 7, 1)) << "Screenshot 09:03:07";
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
        QTest::newRow("white") << QColor(Qt::white) << CodableColor{1, 1, 1, 1};
        QTest::newRow("invalid becomes opaque white") << QColor() << CodableColor{1, 1, 1, 1};
        QTest::newRow("hsv converted to rgb") << QColor::fromHsvF(0, 1, 1) << CodableColor{1, 0, 0, 1};
        QTest::newRow("transparent keeps zero alpha") << QColor(0, 0, 0, 0) << CodableColor{0, 0, 0, 0};
    }
    void colourFromPlatformColour()
    {
        QFETCH(QColor, platform);
        QFETCH(CodableColor, expected);
        QVERIFY(CodableColor::fromPlatformColor(platform) == expected);
    }
};

QTEST_GUILESS_MAIN(TestModelRecords)
#include "tst_model_records.moc"
