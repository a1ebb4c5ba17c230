#include "model/model_json.h"
#include "state/template_manager.h"
#include "state/user_gradients.h"
#include "record_printers.h"
#include "test_fixtures.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace lustrelab;
using test::readFile;
using test::writeFile;

namespace {

QStringList names(const TemplateManager& manager)
{
    QStringList names;
    for (const Template& t : manager.templates())
        names << t.name;
    return names;
}

// A template written by hand, so the reader is held to the format rather
// than to our writer.
Json handWritten(const char* id, const BeautySettings& settings)
{
    return {{"id", id},
            {"name", "good"},
            {"settings", toJson(settings)},
            {"createdAt", 786297600.25},
            {"updatedAt", 786297600.25}};
}

} // namespace

class TestTemplateManager : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    QString m_folder;

  private slots:
    void init()
    {
        m_folder = QDir(m_home.dataHome()).filePath(QStringLiteral("Lustrelab"));
        QDir(m_folder).removeRecursively();
    }

    // Same-named templates are both kept.
    void writesTheExactFileFormat()
    {
        const double since2001 = QDateTime::currentSecsSinceEpoch() - 978307200;
        TemplateManager manager;
        BeautySettings settings;
        settings.cornerRadius = 20.5;
        manager.saveTemplate(QStringLiteral("Ünïcode"), settings);
        manager.saveTemplate(QStringLiteral("Ünïcode"), BeautySettings{});

        const QByteArray bytes = readFile(manager.filePath());
        const Json json = Json::parse(bytes.constBegin(), bytes.constEnd());
        QCOMPARE(bytes, QByteArray::fromStdString(json.dump())); // compact
        // Keys in this order, an upper-case id, dates as numbers.
        const QRegularExpression format(
            QStringLiteral(R"(^\[\{"id":"[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}","name":"Ünïcode",)"
                           R"("settings":\{.*?\},"createdAt":[-+.e0-9]+,"updatedAt":[-+.e0-9]+\},\{"id":)"));
        QVERIFY2(format.match(QString::fromUtf8(bytes)).hasMatch(), bytes.constData());
        const Json& t = json.at(0);
        QVERIFY(t["settings"] == toJson(settings));
        for (const char* key : {"createdAt", "updatedAt"})
            QVERIFY2(t[key].is_number() && std::abs(t[key].get<double>() - since2001) < 60, key);
        QCOMPARE(TemplateManager().templates(), manager.templates()); // read back as written
    }

    void keepsAnUnreadableFile_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        Json bad = handWritten("B1B2C3D4-0000-4000-8000-00000000000F", {});
        bad["settings"].erase("exportFormat");
        const Json good = handWritten("A1B2C3D4-0000-4000-8000-00000000000F", {});
        QTest::newRow("one template lacks settings.exportFormat")
            << QByteArray::fromStdString(Json::array({good, bad}).dump()) << "exportFormat";
        QTest::newRow("truncated JSON") << QByteArray("[{\"id\":") << "parse";
    }
    void keepsAnUnreadableFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QDir().mkpath(m_folder);
        QVERIFY(writeFile(QDir(m_folder).filePath("templates.json"), contents));

        test::StdoutCapture capture;
        TemplateManager manager;
        const QString output = QString::fromUtf8(capture.text());
        QVERIFY(manager.templates().isEmpty());
        QVERIFY2(output.startsWith("Failed to load templates: ") && output.count('\n') == 1 &&
                     output.contains(reason),
                 qPrintable(output));

        // The next save sets the unreadable file aside, once, untouched.
        manager.saveTemplate(QStringLiteral("new"), BeautySettings{});
        manager.saveTemplate(QStringLiteral("newer"), BeautySettings{});
        const QStringList asides = QDir(m_folder).entryList({"templates.json.unreadable-*"}, QDir::Files);
        QCOMPARE(asides.size(), 1);
        QCOMPARE(readFile(QDir(m_folder).filePath(asides.first())), contents);
        QCOMPARE(names(TemplateManager()), QStringList({"new", "newer"}));
    }

    // A file written by hand loads to the look it was saved with. (That
    // settings from before the later keys read: tst_model_json.)
    void handWrittenFileLoads()
    {
        const BeautySettings expected{.cornerRadius = 20, .gradientPresetId = QStringLiteral("synthwave")};
        QDir().mkpath(m_folder);
        QVERIFY(writeFile(QDir(m_folder).filePath("templates.json"),
                          Json::array({handWritten("A1B2C3D4-0000-4000-8000-00000000000F", expected)}).dump()));
        const TemplateManager manager;
        QCOMPARE(manager.templates().size(), 1);
        QCOMPARE(manager.templates().first().settings, expected);
    }

    // Saved gradients sit beside the templates, named in turn, and come back
    // in a new session; a file that cannot be read is kept as templates are.
    void savedGradientsLiveBesideTemplates()
    {
        CustomGradient radial;
        radial.kind = GradientKind::radial;
        radial.stops = {{{0, 0, 0, 0.5}, 0.2}, {{1, 1, 0, 1}, 0.7}, {{0, 1, 1, 1}, 1}};
        {
            UserGradients gradients;
            gradients.add(CustomGradient{});
            gradients.add(radial);
            gradients.add(CustomGradient{});
            gradients.remove(0);
            gradients.remove(7); // unknown positions are ignored
        }
        UserGradients reread;
        QCOMPARE(reread.gradients().size(), 2);
        QCOMPARE(reread.gradients()[0], (UserGradient{QStringLiteral("Custom 2"), radial}));
        QCOMPARE(reread.gradients()[1].name, QStringLiteral("Custom 3"));
        reread.add(radial);
        QCOMPARE(reread.gradients()[2].name, QStringLiteral("Custom 1")); // the first free name

        const QString path = QDir(m_folder).filePath("gradients.json");
        QVERIFY(writeFile(path, R"({"gradients":[{"name":"x","gradient":{"kind":"spiral"}}]})"));
        test::StdoutCapture capture;
        UserGradients damaged;
        QVERIFY(damaged.gradients().isEmpty());
        QVERIFY2(capture.text().contains("gradients[0].gradient.kind: unknown value"), capture.text().constData());
        damaged.add(radial);
        QCOMPARE(QDir(m_folder).entryList({"gradients.json.unreadable-*"}, QDir::Files).size(), 1);
    }

    void deletesByPosition_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("positions refer to the list before removal")
            << 4 << QList<qsizetype>{0, 2} << QStringList{"1", "3"};
        QTest::newRow("repeated and unknown positions ignored")
            << 3 << QList<qsizetype>{2, 2, 7, -1} << QStringList{"0", "1"};
        QTest::newRow("the only one") << 1 << QList<qsizetype>{0} << QStringList{};
    }
    void deletesByPosition()
    {
        QFETCH(int, count);
        QFETCH(QList<qsizetype>, positions);
        QFETCH(QStringList, remaining);
        TemplateManager manager;
        for (int i = 0; i < count; ++i)
            manager.saveTemplate(QString::number(i), BeautySettings{});
        manager.deleteTemplates(positions);
        QCOMPARE(names(TemplateManager()), remaining); // what the deletion wrote
        if (remaining.isEmpty())
            QCOMPARE(readFile(manager.filePath()), QByteArray("[]"));
    }

    void reportsAFailedSaveAndKeepsTheList()
    {
        // A file where the folder should be: the write fails even as root.
        QDir().mkpath(m_home.dataHome());
        QVERIFY(writeFile(m_folder, "not a folder"));
        test::StdoutCapture capture;
        TemplateManager manager;
        manager.saveTemplate(QStringLiteral("kept"), BeautySettings{});
        const QString output = QString::fromUtf8(capture.text());
        QVERIFY2(output.startsWith("Failed to save templates: ") && output.count('\n') == 1,
                 qPrintable(output));
        QCOMPARE(names(manager), QStringList{"kept"});
    }
};

QTEST_GUILESS_MAIN(TestTemplateManager)
#include "tst_template_manager.moc"
