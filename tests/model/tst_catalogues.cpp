// The preset and frame catalogues: their ends in full, lookup by exact id,
// the category tabs, and a preset's swatch. A lost or reordered entry shows
// without a copy of every table; `lustrelab presets` counts the entries and
// their distinct ids (tst_process), and what they draw is probed with the
// frames and backgrounds they make (tst_composition).
#include "model/canvas_preset.h"
#include "model/color_hex.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"
#include "test_fixtures.h"

#include <QTest>
#include <cmath>

using namespace lustrelab;

namespace {

QString number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
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
                       f.hasDynamicIsland ? "island" : "-",
                       f.hasNotch ? "notch" : "-"}
        .join(u'|');
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

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT
  private slots:
    void endsInFull()
    {
        QCOMPARE(cells(gradientPresets().first()),
                 "aurora-borealis|Aurora Borealis|Featured|45|#00C9FF,#92FE9D,#00C9FF,#F0F");
        QCOMPARE(cells(gradientPresets().last()), "vercel-black|Vercel|Solid|0|#000000,#000000");
        QCOMPARE(cells(deviceFrames().first()), "none|No Frame|None|0|0|0|black|-|-");
        QCOMPARE(cells(deviceFrames().last()), "browserarc|Arc|Browser|0|12|0|black|-|-");
        QCOMPARE(
            idsOf(ratioCanvasPresets() + socialCanvasPresets()).join(u' '),
            "auto 4:3 3:2 16:9 1:1 9:16 21:9 twitter facebook instagram instagram-story linkedin youtube "
            "pinterest tiktok");
        for (const CanvasPreset& preset : ratioCanvasPresets() + socialCanvasPresets())
            QCOMPARE(findCanvasPreset(preset.id)->id, preset.id);
    }

    // A category lists the catalogue's own order filtered; "All" holds every
    // preset and "None" only the no-frame entry.
    void categoriesFilterInOrder()
    {
        const auto& gradients = gradientPresets();
        for (GradientCategory c : allCases<GradientCategory>())
            QCOMPARE(idsOf(presetsInCategory(c)),
                     c == GradientCategory::all ? idsOf(gradients) : idsIn(gradients, c));
        for (DeviceCategory c : allCases<DeviceCategory>())
            QCOMPARE(idsOf(framesInCategory(c)), idsIn(deviceFrames(), c));
    }

    // Ids match exactly: no case folding, no trimming, display names are not ids.
    void lookupIsExact_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("found");
        const auto row = [](const char* name, const char* catalogue, const char* id, bool found) {
            QTest::newRow(name) << QString(catalogue) << QString(id) << found;
        };
        row("gradient id", "gradient", "ocean-deep", true);
        row("gradient id, other case", "gradient", "Ocean-Deep", false);
        row("gradient id, not trimmed", "gradient", "ocean-deep ", false);
        row("gradient display name", "gradient", "Cotton Candy", false);
        row("empty gradient id", "gradient", "", false);
        row("canvas id, other case", "canvas", "Auto", false);
        row("canvas display name", "canvas", "Twitter/X", false);
        row("frame id", "frame", "iphoneSE", true);
        row("frame id, lower-cased", "frame", "iphonese", false);
        row("frame display name", "frame", "Safari", false);
    }
    void lookupIsExact()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, id);
        const bool found = catalogue == u"gradient" ? findGradientPreset(id) != nullptr
                           : catalogue == u"canvas" ? findCanvasPreset(id) != nullptr
                                                    : findDeviceFrame(id) != nullptr;
        QTEST(found, "found");
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
            QCOMPARE(stops[i].second, colorFromHex(p->colors[i]));
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
