#include "model/canvas_preset.h"
#include "model/color_hex.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"

#include <QTest>

using namespace lustrelab;

namespace {

QString number(double v, int digits = QLocale::FloatingPointShortest)
{
    return QString::number(v, 'g', digits);
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

// QColor keeps 16 bits a channel, so four digits recover the value given.
QString cells(FrameColor color)
{
    const QColor c = frameColorValue(color);
    return QStringList{rawValue(color), number(c.redF(), 4), number(c.greenF(), 4), number(c.blueF(), 4),
                       number(c.alphaF(), 4)}
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
    QStringList ids;
    for (const T& r : records)
        ids << r.id;
    return ids;
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

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT
  private slots:
    // A few entries in full, the catalogue's length and that lookup reaches every entry (no id shadows
    // another): a lost, reordered or edited entry shows here without a copy of every table.
    void catalogues_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const auto& gradients = gradientPresets();
        const auto& frames = deviceFrames();
        QTest::newRow("first gradient")
            << cells(gradients.first())
            << "aurora-borealis|Aurora Borealis|Featured|45|#00C9FF,#92FE9D,#00C9FF,#F0F";
        QTest::newRow("gradient") << cells(*findGradientPreset(u"ocean-deep"))
                                  << "ocean-deep|Ocean Deep|Blue|135|#2E3192,#1BFFFF";
        QTest::newRow("last gradient")
            << cells(gradients.last()) << "vercel-black|Vercel|Solid|0|#000000,#000000";
        QTest::newRow("gradients") << number(gradients.size()) +
                                          boolean(eachIdFindsItself(gradients, findGradientPreset))
                                   << "90true";
        QTest::newRow("canvas presets, ratio first")
            << idsOf(ratioCanvasPresets() + socialCanvasPresets()).join(u' ')
            << "auto 4:3 3:2 16:9 1:1 9:16 21:9 twitter facebook instagram instagram-story linkedin youtube "
               "pinterest tiktok";
        QTest::newRow("canvas preset")
            << QString("%1|%2|%3")
                   .arg(findCanvasPreset(u"4:3")->name, number(*findCanvasPreset(u"4:3")->aspectRatio),
                        boolean(findCanvasPreset(u"auto")->aspectRatio.has_value()))
            << "4:3|1.3333333333333333|false";
        QTest::newRow("canvas lookup") << boolean(eachIdFindsItself(ratioCanvasPresets(), findCanvasPreset) &&
                                                  eachIdFindsItself(socialCanvasPresets(), findCanvasPreset))
                                       << "true";
        QTest::newRow("no frame first")
            << cells(frames.first()) << "none|No Frame|None|0|0|0|black|false|false";
        QTest::newRow("frame") << cells(frames[1])
                               << "iphone16promax|iPhone 16 Pro Max|iPhone|3|55|52|natural|true|false";
        QTest::newRow("notched frame") << cells(*findDeviceFrame(u"macbookair15"))
                                       << "macbookair15|MacBook Air 15\"|Mac|6|10|6|silver|false|true";
        QTest::newRow("last frame") << cells(frames.last())
                                    << "browserarc|Arc|Browser|0|12|0|black|false|false";
        QTest::newRow("frames") << number(frames.size()) +
                                       boolean(eachIdFindsItself(frames, findDeviceFrame) &&
                                               &noDeviceFrame() == &frames[0])
                                << "18true";
        QTest::newRow("black") << cells(FrameColor::black) << "black|0.11|0.11|0.12|1";
        QTest::newRow("natural") << cells(FrameColor::natural) << "natural|0.55|0.53|0.51|1";
    }
    void catalogues()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    // Ids match exactly: no case folding, no trimming, display names are not ids (ids that are found:
    // catalogues).
    void lookup_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("expected");
        QTest::newRow("gradient id, other case") << bool(findGradientPreset(u"Ocean-Deep")) << false;
        QTest::newRow("gradient id, not trimmed") << bool(findGradientPreset(u"ocean-deep ")) << false;
        QTest::newRow("gradient display name") << bool(findGradientPreset(u"Cotton Candy")) << false;
        QTest::newRow("default gradient id is no preset") << bool(findGradientPreset(u"ocean")) << false;
        QTest::newRow("empty gradient id") << bool(findGradientPreset(u"")) << false;
        QTest::newRow("canvas id, other case") << bool(findCanvasPreset(u"Auto")) << false;
        QTest::newRow("canvas display name") << bool(findCanvasPreset(u"Twitter/X")) << false;
        QTest::newRow("frame id, lower-cased") << bool(findDeviceFrame(u"iphonese")) << false;
        QTest::newRow("frame display name") << bool(findDeviceFrame(u"Safari")) << false;
    }
    void lookup()
    {
        QFETCH(bool, found);
        QTEST(found, "expected");
    }

    // Catalogue order, filtered by category; "All" holds every preset and "None" only the no-frame entry.
    void inCategory_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("count");
        const int gradientCounts[] = {90, 10, 8, 9, 8, 8, 8, 8, 8, 15, 8};
        for (GradientCategory c : allCases<GradientCategory>())
            QTest::addRow("gradients %s", qPrintable(rawValue(c)))
                << idsOf(presetsInCategory(c))
                << (c == GradientCategory::all ? idsOf(gradientPresets()) : idsIn(gradientPresets(), c))
                << gradientCounts[int(c)];
        const int frameCounts[] = {1, 5, 2, 6, 4};
        for (DeviceCategory c : allCases<DeviceCategory>())
            QTest::addRow("frames %s", qPrintable(rawValue(c)))
                << idsOf(framesInCategory(c)) << idsIn(deviceFrames(), c) << frameCounts[int(c)];
    }
    void inCategory()
    {
        QFETCH(QStringList, ids);
        QTEST(ids, "expected");
        QTEST(int(ids.size()), "count");
    }

    void swatchGeometry_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        const double lo = 0.5 - 0.5 * std::sqrt(0.5), hi = 0.5 + 0.5 * std::sqrt(0.5);
        QTest::newRow("0: right edge to left edge") << "pure-white" << QPointF(1, 0.5) << QPointF(0, 0.5);
        QTest::newRow("45: bottom-right to top-left")
            << "aurora-borealis" << QPointF(hi, hi) << QPointF(lo, lo);
        QTest::newRow("90: bottom edge to top edge") << "rainbow-mesh" << QPointF(0.5, 1) << QPointF(0.5, 0);
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
            QCOMPARE(stops[i].second, colorFromHex(p->colors[i]));
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
