#include "model/color_hex.h"
#include "model/gradient_preset.h"
#include "tsv_table.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace lustrelab;

namespace {

QString idsOf(const QList<GradientPreset>& presets, qsizetype index)
{
    return presets.isEmpty() ? QString() : presets[index < 0 ? presets.size() + index : index].id;
}

bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-12 && std::abs(a.y() - b.y()) < 1e-12;
}

} // namespace

class TestGradientPresets : public QObject
{
    Q_OBJECT
  private slots:
    // Every preset, field by field, against a separately kept transcription.
    void catalogueMatchesReference_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("category");
        QTest::addColumn<double>("angle");
        QTest::addColumn<QStringList>("colors");
        const auto rows = readTsvTable(QStringLiteral("gradient_presets.tsv"));
        for (int i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            QTest::addRow("%d %s", i + 1, qPrintable(r["id"]))
                << i << r["id"] << r["name"] << r["category"] << r["angle"].toDouble()
                << r["colors"].split(u',');
        }
    }
    void catalogueMatchesReference()
    {
        QFETCH(int, index);
        QVERIFY(index < gradientPresets().size());
        const GradientPreset& p = gradientPresets()[index];
        QTEST(p.id, "id");
        QTEST(p.name, "name");
        QTEST(rawValue(p.category), "category");
        QTEST(p.angle, "angle");
        QTEST(QStringList(p.colors), "colors");
    }

    void catalogueSize()
    {
        QCOMPARE(gradientPresets().size(), readTsvTable(QStringLiteral("gradient_presets.tsv")).size());
        QCOMPARE(gradientPresets().size(), 90);
    }

    void presetsInCategory_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("all") << "All" << 90 << "aurora-borealis"
                             << "vercel-black";
        QTest::newRow("featured") << "Featured" << 10 << "aurora-borealis"
                                  << "liquid-gold";
        QTest::newRow("multicolor") << "Multi" << 15 << "rainbow-mesh"
                                    << "fire-and-ice";
        QTest::newRow("purple") << "Purple" << 8 << "purple-haze"
                                << "mystic-mauve";
        QTest::newRow("blue") << "Blue" << 9 << "ocean-deep"
                              << "deep-sea";
        QTest::newRow("green") << "Green" << 8 << "lime-fade"
                               << "fresh-mint";
        QTest::newRow("orange") << "Orange" << 8 << "orange-fun"
                                << "warm-flame";
        QTest::newRow("pink") << "Pink" << 8 << "pink-fish"
                              << "cotton-candy-pink";
        QTest::newRow("dark") << "Dark" << 8 << "dark-ocean"
                              << "dark-knight";
        QTest::newRow("light") << "Light" << 8 << "daylight"
                               << "soft-grass";
        QTest::newRow("solid") << "Solid" << 8 << "pure-white"
                               << "vercel-black";
    }
    void presetsInCategory()
    {
        QFETCH(QString, category);
        const auto parsed = fromRawValue<GradientCategory>(category);
        QVERIFY(parsed);
        const QList<GradientPreset> presets = lustrelab::presetsInCategory(*parsed);
        QTEST(int(presets.size()), "count");
        QTEST(idsOf(presets, 0), "first");
        QTEST(idsOf(presets, -1), "last");
        // Catalogue order is kept within a category.
        qsizetype previous = -1;
        for (const GradientPreset& p : presets) {
            const qsizetype at = findGradientPreset(p.id) - gradientPresets().constData();
            QVERIFY(at > previous);
            previous = at;
        }
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("index"); // -1: not found
        QTest::newRow("default id is not in the catalogue") << "ocean" << -1;
        QTest::newRow("ocean-deep") << "ocean-deep" << 33;
        QTest::newRow("last entry") << "vercel-black" << 89;
        QTest::newRow("case matters") << "Ocean-Deep" << -1;
        QTest::newRow("no trimming") << "ocean-deep " << -1;
        QTest::newRow("display name is no id") << "Cotton Candy" << -1;
        QTest::newRow("shared name, second id") << "cotton-candy-pink" << 65;
        QTest::newRow("empty") << "" << -1;
    }
    void lookup()
    {
        QFETCH(QString, id);
        QFETCH(int, index);
        const GradientPreset* found = findGradientPreset(id);
        QCOMPARE(found ? int(found - gradientPresets().constData()) : -1, index);
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
        const QLinearGradient g = findGradientPreset(id)->swatchGradient();
        QVERIFY2(near(g.start(), start), qPrintable(QString("%1,%2").arg(g.start().x()).arg(g.start().y())));
        QVERIFY2(near(g.finalStop(), end),
                 qPrintable(QString("%1,%2").arg(g.finalStop().x()).arg(g.finalStop().y())));
    }

    void swatchStopsEvenlySpaced()
    {
        const GradientPreset* p = findGradientPreset(u"neon-dreams");
        const QGradientStops stops = p->swatchGradient().stops();
        QCOMPARE(stops.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(stops[i].first, i / 4.0);
            QCOMPARE(stops[i].second, colorFromHex(p->colors[i]));
        }
    }

    // Painted into any rectangle, the swatch spans that rectangle: an angle of
    // 90 shows the first colour along the bottom and the last along the top.
    void swatchPaintsIntoItsRectangle()
    {
        QImage image(40, 140, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.fillRect(QRect(10, 5, 20, 120), findGradientPreset(u"rainbow-mesh")->swatchGradient());
        }
        const auto close = [](QRgb a, QColor b) {
            return std::abs(qRed(a) - b.red()) <= 8 && std::abs(qGreen(a) - b.green()) <= 8 &&
                   std::abs(qBlue(a) - b.blue()) <= 8 && qAlpha(a) == 255;
        };
        QVERIFY(close(image.pixel(20, 124), QColor(0xFF, 0, 0)));
        QVERIFY(close(image.pixel(20, 5), QColor(0x94, 0, 0xD3)));
        QCOMPARE(qAlpha(image.pixel(20, 127)), 0); // nothing outside the swatch rectangle
    }
};

QTEST_GUILESS_MAIN(TestGradientPresets)
#include "tst_gradient_presets.moc"
