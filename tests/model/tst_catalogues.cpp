#include "model/canvas_preset.h"
#include "model/color_hex.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"

#include <QFile>
#include <QTest>

using namespace lustrelab;

namespace {

QString number(double v, int digits = QLocale::FloatingPointShortest)
{
    return QString::number(v, 'g', digits);
}

// Numbers compare by value, so "1.0" in a table matches 1 in a catalogue.
QStringList normalised(QStringList cells)
{
    for (QString& cell : cells) {
        bool isNumber = false;
        const double v = cell.toDouble(&isNumber);
        if (isNumber)
            cell = number(v);
    }
    return cells;
}

// A tab-separated reference table kept beside these tests, header line first.
QList<QStringList> readTable(const QString& fileName)
{
    const QString dir = qEnvironmentVariable("LUSTRELAB_SOURCE_DIR");
    QFile file(dir.isEmpty() ? QFINDTESTDATA(fileName) : dir + "/tests/model/" + fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts))
        rows << normalised(line.split(u'\t'));
    return rows;
}

template <typename Records, typename Cells>
QList<QStringList> rowsOf(const Records& records, const QStringList& header, Cells cells)
{
    QList<QStringList> rows{header};
    for (const auto& r : records)
        rows << normalised(cells(r));
    return rows;
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

QString boolean(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
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
    // Each catalogue whole, in order, against a separately kept transcription.
    void catalogueMatchesTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QList<QStringList>>("actual");
        QTest::addColumn<bool>("eachIdFindsItself"); // lookup reaches every entry: no id shadows another
        QTest::newRow("gradients") << "gradient_presets.tsv"
                                   << rowsOf(gradientPresets(), {"id", "name", "category", "angle", "colors"},
                                             [](const GradientPreset& p) {
                                                 return QStringList{p.id, p.name, rawValue(p.category),
                                                                    number(p.angle), p.colors.join(u',')};
                                             })
                                   << eachIdFindsItself(gradientPresets(), findGradientPreset);
        QTest::newRow("canvas presets, ratio first")
            << "canvas_presets.tsv"
            << rowsOf(ratioCanvasPresets() + socialCanvasPresets(), {"id", "name", "category", "aspectRatio"},
                      [](const CanvasPreset& p) {
                          // No built-in entry has a fixed size; one would show as a mismatch.
                          const QString ratio = p.aspectRatio ? number(*p.aspectRatio) : QString();
                          return QStringList{p.id, p.name, rawValue(p.category),
                                             p.fixedSize ? QStringLiteral("fixed") : ratio};
                      })
            << (eachIdFindsItself(ratioCanvasPresets(), findCanvasPreset) &&
                eachIdFindsItself(socialCanvasPresets(), findCanvasPreset));
        QTest::newRow("device frames")
            << "device_frames.tsv"
            << rowsOf(deviceFrames(),
                      {"id", "name", "category", "bezelWidth", "cornerRadius", "screenCornerRadius",
                       "frameColor", "hasDynamicIsland", "hasNotch"},
                      [](const DeviceFrame& f) {
                          return QStringList{f.id, f.name, rawValue(f.category), number(f.bezelWidth)} +
                                 QStringList{number(f.cornerRadius), number(f.screenCornerRadius),
                                             rawValue(f.frameColor), boolean(f.hasDynamicIsland)} +
                                 QStringList{boolean(f.hasNotch)};
                      })
            << (eachIdFindsItself(deviceFrames(), findDeviceFrame) && &noDeviceFrame() == &deviceFrames()[0]);
        // QColor keeps 16 bits a channel, so four digits recover the value given.
        QTest::newRow("frame colours")
            << "frame_colors.tsv"
            << rowsOf(allCases<FrameColor>(), {"color", "red", "green", "blue", "opacity"},
                      [](FrameColor color) {
                          const QColor c = frameColorValue(color);
                          return QStringList{rawValue(color), number(c.redF(), 4), number(c.greenF(), 4),
                                             number(c.blueF(), 4), number(c.alphaF(), 4)};
                      })
            << true;
    }
    void catalogueMatchesTable()
    {
        QFETCH(QString, table);
        QFETCH(QList<QStringList>, actual);
        const QList<QStringList> expected = readTable(table);
        for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
            QVERIFY2(actual[i] == expected[i], qPrintable("catalogue: " + actual[i].join(u" | ") +
                                                          "\ntable:     " + expected[i].join(u" | ")));
        QCOMPARE(actual.size(), expected.size());
        QTEST(true, "eachIdFindsItself");
    }

    // Ids match exactly: no case folding, no trimming, display names are not ids.
    void lookup_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("expected");
        QTest::newRow("gradient id") << bool(findGradientPreset(u"ocean-deep")) << true;
        QTest::newRow("gradient id, other case") << bool(findGradientPreset(u"Ocean-Deep")) << false;
        QTest::newRow("gradient id, not trimmed") << bool(findGradientPreset(u"ocean-deep ")) << false;
        QTest::newRow("gradient display name") << bool(findGradientPreset(u"Cotton Candy")) << false;
        QTest::newRow("default gradient id is no preset") << bool(findGradientPreset(u"ocean")) << false;
        QTest::newRow("empty gradient id") << bool(findGradientPreset(u"")) << false;
        QTest::newRow("canvas id") << bool(findCanvasPreset(u"auto")) << true;
        QTest::newRow("canvas id, other case") << bool(findCanvasPreset(u"Auto")) << false;
        QTest::newRow("canvas display name") << bool(findCanvasPreset(u"Twitter/X")) << false;
        QTest::newRow("frame id, mixed case") << bool(findDeviceFrame(u"iphoneSE")) << true;
        QTest::newRow("frame id, lower-cased") << bool(findDeviceFrame(u"iphonese")) << false;
        QTest::newRow("frame display name") << bool(findDeviceFrame(u"Safari")) << false;
    }
    void lookup()
    {
        QFETCH(bool, found);
        QTEST(found, "expected");
    }

    // Table order, filtered by category; "All" holds every preset and "None" only the no-frame entry.
    void inCategory_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("category");
        for (GradientCategory c : allCases<GradientCategory>())
            QTest::addRow("gradients %s", qPrintable(rawValue(c)))
                << idsOf(presetsInCategory(c)) << "gradient_presets.tsv" << rawValue(c);
        for (DeviceCategory c : allCases<DeviceCategory>())
            QTest::addRow("frames %s", qPrintable(rawValue(c)))
                << idsOf(framesInCategory(c)) << "device_frames.tsv" << rawValue(c);
    }
    void inCategory()
    {
        QFETCH(QString, table);
        QFETCH(QString, category);
        QStringList expected;
        for (const QStringList& row : readTable(table).mid(1))
            if (category == u"All" || row.value(2) == category)
                expected << row.value(0);
        QTEST(expected, "ids");
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
