#include "model/canvas_preset.h"
#include "model/device_frame.h"
#include "tsv_table.h"

#include <QTest>

using namespace lustrelab;

namespace {

QStringList idsOf(const QList<DeviceFrame>& frames)
{
    QStringList ids;
    for (const DeviceFrame& f : frames)
        ids << f.id;
    return ids;
}

} // namespace

class TestDeviceCatalogues : public QObject
{
    Q_OBJECT
  private slots:
    // Both canvas groups, ratio first, against a separately kept transcription.
    void canvasPresetsMatchReference_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("aspectRatio"); // empty when absent
        const auto rows = readTsvTable(QStringLiteral("canvas_presets.tsv"));
        for (int i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            QTest::addRow("%s", qPrintable(r["id"]))
                << i << r["id"] << r["name"] << r["category"] << r["aspectRatio"];
        }
    }
    void canvasPresetsMatchReference()
    {
        QFETCH(int, index);
        QFETCH(QString, aspectRatio);
        const QList<CanvasPreset> all = ratioCanvasPresets() + socialCanvasPresets();
        QVERIFY(index < all.size());
        const CanvasPreset& p = all[index];
        QTEST(p.id, "id");
        QTEST(p.name, "name");
        QTEST(rawValue(p.category), "category");
        QCOMPARE(p.aspectRatio.has_value(), !aspectRatio.isEmpty());
        if (p.aspectRatio)
            QVERIFY2(*p.aspectRatio == aspectRatio.toDouble(),
                     qPrintable(QString::number(*p.aspectRatio, 'g', 17)));
        QVERIFY(!p.fixedSize);
        // Lookup reaches every entry, so no id shadows a later one.
        const CanvasPreset* found = findCanvasPreset(p.id);
        QVERIFY(found);
        QVERIFY(*found == p);
    }

    void canvasGroupSizes()
    {
        QCOMPARE(ratioCanvasPresets().size(), 7);
        QCOMPARE(socialCanvasPresets().size(), 8);
    }

    void canvasLookup_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("ratio"); // 0 when absent or not found
        QTest::newRow("auto has no ratio") << "auto" << true << 0.0;
        QTest::newRow("capitalised Auto is unknown") << "Auto" << false << 0.0;
        QTest::newRow("twitter") << "twitter" << true << 16.0 / 9.0;
        QTest::newRow("9:16") << "9:16" << true << 0.5625;
        QTest::newRow("instagram-story") << "instagram-story" << true << 0.5625;
        QTest::newRow("tiktok") << "tiktok" << true << 0.5625;
        QTest::newRow("pinterest") << "pinterest" << true << 2.0 / 3.0;
        QTest::newRow("display name is no id") << "Twitter/X" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void canvasLookup()
    {
        QFETCH(QString, id);
        QFETCH(bool, found);
        QFETCH(double, ratio);
        const CanvasPreset* p = findCanvasPreset(id);
        QCOMPARE(p != nullptr, found);
        if (p) {
            QVERIFY(p->aspectRatio.value_or(0.0) == ratio);
            QVERIFY(!p->fixedSize);
        }
    }

    void framesMatchReference_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("category");
        QTest::addColumn<double>("bezelWidth");
        QTest::addColumn<double>("cornerRadius");
        QTest::addColumn<double>("screenCornerRadius");
        QTest::addColumn<QString>("frameColor");
        QTest::addColumn<bool>("hasDynamicIsland");
        QTest::addColumn<bool>("hasNotch");
        const auto rows = readTsvTable(QStringLiteral("device_frames.tsv"));
        for (int i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            QTest::addRow("%s", qPrintable(r["id"]))
                << i << r["id"] << r["name"] << r["category"] << r["bezelWidth"].toDouble()
                << r["cornerRadius"].toDouble() << r["screenCornerRadius"].toDouble() << r["frameColor"]
                << (r["hasDynamicIsland"] == u"true") << (r["hasNotch"] == u"true");
        }
    }
    void framesMatchReference()
    {
        QFETCH(int, index);
        QVERIFY(index < deviceFrames().size());
        const DeviceFrame& f = deviceFrames()[index];
        QTEST(f.id, "id");
        QTEST(f.name, "name");
        QTEST(rawValue(f.category), "category");
        QTEST(f.bezelWidth, "bezelWidth");
        QTEST(f.cornerRadius, "cornerRadius");
        QTEST(f.screenCornerRadius, "screenCornerRadius");
        QTEST(rawValue(f.frameColor), "frameColor");
        QTEST(f.hasDynamicIsland, "hasDynamicIsland");
        QTEST(f.hasNotch, "hasNotch");
        QCOMPARE(findDeviceFrame(f.id), &f);
    }

    void frameCatalogueSize()
    {
        QCOMPARE(deviceFrames().size(), 18);
        QCOMPARE(deviceFrames().size(), readTsvTable(QStringLiteral("device_frames.tsv")).size());
    }

    void inchSignIsPartOfTheName()
    {
        const QString name = findDeviceFrame(u"ipadpro13")->name;
        QCOMPARE(name.size(), 12);
        QCOMPARE(name.back(), QChar(u'"'));
    }

    void frameLookup_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name"); // empty: not found
        QTest::newRow("none") << "none"
                              << "No Frame";
        QTest::newRow("mixed-case id") << "iphoneSE"
                                       << "iPhone SE";
        QTest::newRow("lower-cased id is unknown") << "iphonese"
                                                   << "";
        QTest::newRow("display name is no id") << "Safari"
                                               << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void frameLookup()
    {
        QFETCH(QString, id);
        const DeviceFrame* f = findDeviceFrame(id);
        QTEST(f ? f->name : QString(), "name");
    }

    void noFrameEntry()
    {
        QCOMPARE(&noDeviceFrame(), findDeviceFrame(u"none"));
        QCOMPARE(noDeviceFrame().category, DeviceCategory::none);
    }

    void framesInCategory_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("none") << "None" << QStringList{"none"};
        QTest::newRow("iphone") << "iPhone"
                                << QStringList{"iphone16promax", "iphone16pro", "iphone16", "iphone15pro",
                                               "iphoneSE"};
        QTest::newRow("ipad") << "iPad" << QStringList{"ipadpro13", "ipadpro11"};
        QTest::newRow("mac") << "Mac" << QStringList{"macbookpro16", "macbookpro14", "macbookair15",
                                                     "macbookair13", "imac24",       "studiodisplay"};
        QTest::newRow("browser") << "Browser"
                                 << QStringList{"browsersafari", "browsersafaridark", "browserchrome",
                                                "browserarc"};
    }
    void framesInCategory()
    {
        QFETCH(QString, category);
        const auto parsed = fromRawValue<DeviceCategory>(category);
        QVERIFY(parsed);
        QTEST(idsOf(lustrelab::framesInCategory(*parsed)), "ids");
    }

    void frameColorValue_data()
    {
        QTest::addColumn<QString>("color");
        QTest::addColumn<double>("red");
        QTest::addColumn<double>("green");
        QTest::addColumn<double>("blue");
        QTest::newRow("black") << "black" << 0.11 << 0.11 << 0.12;
        QTest::newRow("white") << "white" << 0.96 << 0.96 << 0.97;
        QTest::newRow("silver") << "silver" << 0.78 << 0.78 << 0.8;
        QTest::newRow("gold, used by no frame") << "gold" << 0.9 << 0.85 << 0.79;
        QTest::newRow("spacegray") << "spacegray" << 0.45 << 0.45 << 0.47;
        QTest::newRow("natural") << "natural" << 0.55 << 0.53 << 0.51;
    }
    void frameColorValue()
    {
        QFETCH(QString, color);
        QFETCH(double, red);
        QFETCH(double, green);
        QFETCH(double, blue);
        const auto parsed = fromRawValue<FrameColor>(color);
        QVERIFY(parsed);
        const QColor c = lustrelab::frameColorValue(*parsed);
        // QColor keeps 16 bits per channel.
        const double tolerance = 1.0 / 65535;
        QVERIFY(std::abs(c.redF() - red) <= tolerance);
        QVERIFY(std::abs(c.greenF() - green) <= tolerance);
        QVERIFY(std::abs(c.blueF() - blue) <= tolerance);
        QCOMPARE(c.alphaF(), 1.0f);
    }
};

QTEST_GUILESS_MAIN(TestDeviceCatalogues)
#include "tst_device_catalogues.moc"
