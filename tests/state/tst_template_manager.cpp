#include "model/model_json.h"
#include "state/template_manager.h"
#include "test_environment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

BeautySettings sampleSettings()
{
    BeautySettings s;
    s.cornerRadius = 20.5;
    s.backgroundType = BackgroundType::solid;
    s.solidColor = {0.1, 0.2, 0.3, 0.4};
    s.exportFormat = ExportFormat::jpeg;
    return s;
}

// One stored template as written by hand, so the reader is checked against
// the format rather than against our own writer.
Json storedTemplate(const char* id, const char* name)
{
    Json t = Json::object();
    t["id"] = id;
    t["name"] = name;
    t["settings"] = toJson(BeautySettings{});
    t["createdAt"] = 786297600.25;
    t["updatedAt"] = 786297600.25;
    return t;
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

    void firstStartUsesTheDataLocationAndWritesNothing()
    {
        TemplateManager manager;
        QCOMPARE(manager.filePath(), QDir(m_folder).filePath("templates.json"));
        QVERIFY(QDir(m_folder).exists());
        QVERIFY(manager.templates().isEmpty());
        QVERIFY(!QFile::exists(manager.filePath()));
    }

    void writesTheExactFileFormat()
    {
        const qint64 before = QDateTime::currentSecsSinceEpoch() - 978307200;
        TemplateManager manager;
        manager.saveTemplate(QStringLiteral("Ünïcode"), sampleSettings());
        const QByteArray bytes = readAll(manager.filePath());

        const Json json = Json::parse(bytes.constBegin(), bytes.constEnd());
        QCOMPARE(bytes, QByteArray::fromStdString(json.dump())); // compact: no indentation, no line breaks
        QVERIFY(json.is_array());
        QCOMPARE(json.size(), std::size_t(1));
        const Json& t = json[0];
        std::vector<std::string> keys;
        for (auto it = t.begin(); it != t.end(); ++it)
            keys.push_back(it.key());
        QVERIFY(keys == (std::vector<std::string>{"id", "name", "settings", "createdAt", "updatedAt"}));

        const QString id = QString::fromStdString(t["id"].get<std::string>());
        QVERIFY2(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                     .match(id)
                     .hasMatch(),
                 qPrintable(id));
        QCOMPARE(QUuid::fromString(id), manager.templates().first().id);
        QCOMPARE(QString::fromStdString(t["name"].get<std::string>()), QStringLiteral("Ünïcode"));
        QVERIFY(t["settings"] == toJson(sampleSettings()));
        for (const char* key : {"createdAt", "updatedAt"}) {
            QVERIFY(t[key].is_number_float());
            const double seconds = t[key].get<double>();
            QVERIFY2(seconds >= before && seconds <= before + 60, key);
        }
    }

    void readsBackWhatItWrote()
    {
        QList<Template> saved;
        {
            TemplateManager manager;
            manager.saveTemplate(QStringLiteral("Same"), sampleSettings());
            manager.saveTemplate(QStringLiteral("Same"), BeautySettings{});
            saved = manager.templates();
        }
        QCOMPARE(saved.size(), 2);
        QVERIFY(saved[0].id != saved[1].id);
        TemplateManager reread;
        QCOMPARE(reread.templates(), saved);
        QCOMPARE(reread.templates()[0].settings, sampleSettings());
    }

    void readsForeignFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("names");
        Json lowerCase = Json::array({storedTemplate("a1b2c3d4-0000-4000-8000-00000000000f", "lower")});
        QTest::newRow("lower-case id") << QByteArray::fromStdString(lowerCase.dump()) << QStringList{"lower"};
        Json extra = storedTemplate("A1B2C3D4-0000-4000-8000-00000000000F", "extra");
        extra["unknown"] = 1;
        QTest::newRow("unknown keys ignored")
            << QByteArray::fromStdString(Json::array({extra}).dump(2)) << QStringList{"extra"};
        QTest::newRow("empty array") << QByteArray("[]") << QStringList{};
    }
    void readsForeignFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, names);
        QDir().mkpath(m_folder);
        writeAll(QDir(m_folder).filePath("templates.json"), contents);
        TemplateManager manager;
        QStringList got;
        for (const Template& t : manager.templates())
            got << t.name;
        QCOMPARE(got, names);
    }

    void keepsAnUnreadableFile_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");

        Json good = storedTemplate("A1B2C3D4-0000-4000-8000-00000000000F", "good");
        Json noFormat = storedTemplate("B1B2C3D4-0000-4000-8000-00000000000F", "bad");
        noFormat["settings"].erase("exportFormat");
        QTest::newRow("one template lacks settings.exportFormat")
            << QByteArray::fromStdString(Json::array({good, noFormat}).dump()) << "exportFormat";
        Json braces = storedTemplate("{B1B2C3D4-0000-4000-8000-00000000000F}", "bad");
        QTest::newRow("id in braces")
            << QByteArray::fromStdString(Json::array({good, braces}).dump()) << "id";
        Json textDate = storedTemplate("B1B2C3D4-0000-4000-8000-00000000000F", "bad");
        textDate["createdAt"] = "2024-01-01";
        QTest::newRow("date as text")
            << QByteArray::fromStdString(Json::array({good, textDate}).dump()) << "createdAt";
        QTest::newRow("truncated JSON") << QByteArray("[{\"id\":") << "parse";
        QTest::newRow("object at top level") << QByteArray::fromStdString(good.dump()) << "array";
    }
    void keepsAnUnreadableFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QDir().mkpath(m_folder);
        const QString path = QDir(m_folder).filePath("templates.json");
        writeAll(path, contents);

        test::StdoutCapture capture;
        TemplateManager manager;
        const QString output = QString::fromUtf8(capture.text());
        QVERIFY(manager.templates().isEmpty());
        QVERIFY2(output.startsWith("Failed to load templates: ") && output.count('\n') == 1,
                 qPrintable(output));
        QVERIFY2(output.contains(reason), qPrintable(output));
        QCOMPARE(readAll(path), contents); // loading never touches the file

        manager.saveTemplate(QStringLiteral("new"), BeautySettings{});
        const QStringList asides = QDir(m_folder).entryList({"templates.json.unreadable-*"}, QDir::Files);
        QCOMPARE(asides.size(), 1);
        QVERIFY2(output.contains(asides.first()), qPrintable(output)); // the message said where it would go
        QCOMPARE(readAll(QDir(m_folder).filePath(asides.first())), contents);
        QCOMPARE(TemplateManager().templates(), manager.templates());

        // Only the file that failed to load is set aside, and only once.
        manager.saveTemplate(QStringLiteral("newer"), BeautySettings{});
        QCOMPARE(QDir(m_folder).entryList({"templates.json.unreadable-*"}, QDir::Files), asides);
    }

    void deletesByPosition_data()
    {
        QTest::addColumn<QList<qsizetype>>("positions");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("positions refer to the list before removal")
            << QList<qsizetype>{0, 2} << QStringList{"b", "d"};
        QTest::newRow("repeated and unknown positions ignored")
            << QList<qsizetype>{3, 3, 7, -1} << QStringList{"a", "b", "c"};
        QTest::newRow("all") << QList<qsizetype>{3, 1, 2, 0} << QStringList{};
    }
    void deletesByPosition()
    {
        QFETCH(QList<qsizetype>, positions);
        QFETCH(QStringList, remaining);
        TemplateManager manager;
        for (const char* name : {"a", "b", "c", "d"})
            manager.saveTemplate(QString::fromLatin1(name), BeautySettings{});
        QSignalSpy changed(&manager, &TemplateManager::templatesChanged);
        manager.deleteTemplates(positions);
        QStringList names;
        const TemplateManager reloaded; // reads back what the deletion wrote
        for (const Template& t : reloaded.templates())
            names << t.name;
        QCOMPARE(names, remaining);
        QCOMPARE(changed.count(), 1);
    }

    void deletingTheOnlyTemplateWritesAnEmptyArray()
    {
        TemplateManager manager;
        manager.saveTemplate(QStringLiteral("only"), BeautySettings{});
        manager.deleteTemplates({0});
        QCOMPARE(readAll(manager.filePath()), QByteArray("[]"));
    }

    void reportsAFailedSaveAndKeepsTheChange()
    {
        // A file where the folder should be: the write cannot succeed even as root.
        QDir().mkpath(m_home.dataHome());
        writeAll(m_folder, "not a folder");
        test::StdoutCapture capture;
        TemplateManager manager;
        manager.saveTemplate(QStringLiteral("kept"), BeautySettings{});
        const QString output = QString::fromUtf8(capture.text());
        QVERIFY2(output.startsWith("Failed to save templates: ") && output.count('\n') == 1,
                 qPrintable(output));
        QCOMPARE(manager.templates().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTemplateManager)
#include "tst_template_manager.moc"
