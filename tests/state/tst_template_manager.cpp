// Templates and saved gradients on disk: the file's exact format, a damaged
// file, and a process killed outright while it saves, which leaves the list
// before that save or the one after it, in a file that always loads. The
// crash test runs this binary itself as the saver: with
// LUSTRELAB_TEST_SAVER_DIR set it adds templates to that folder in a loop,
// printing the count after each save returns, until it is killed.
#include "model/model_json.h"
#include "model/styling_fields.h"
#include "record_printers.h"
#include "state/template_manager.h"
#include "state/user_gradients.h"
#include "test_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>

using namespace lustrelab;
using test::readFile;
using test::writeFile;

namespace {
QStringList names(const TemplateManager& manager)
{
    return test::mapped(manager.templates(), &Template::name);
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

const char* const saverVariable = "LUSTRELAB_TEST_SAVER_DIR";
constexpr int kMaxTemplates = 300; // the saver stops here, so every file stays small

// Template n is named "tN" and carries n as its padding, so its place in the
// list and its content can both be checked.
int runSaver(int argc, char** argv, const QString& directory)
{
    QCoreApplication app(argc, argv);
    TemplateManager manager(directory);
    for (qsizetype n = manager.templates().size(); n < kMaxTemplates; ++n) {
        manager.saveTemplate(QStringLiteral("t%1").arg(n), BeautySettings{.padding = double(n)});
        std::printf("%lld\n", static_cast<long long>(n + 1));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class TestTemplateManager : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    QString m_folder;

    // The templates in `directory`, checked to be t0, t1, ... in order with
    // their own content; -1 when the file fails to load or is out of order.
    static int consistentCount(const QString& directory)
    {
        test::StdoutCapture output;
        const TemplateManager manager(directory);
        const QByteArray reported = output.text();
        if (!reported.isEmpty()) {
            qWarning("%s", reported.constData());
            return -1;
        }
        const QList<Template>& list = manager.templates();
        for (qsizetype n = 0; n < list.size(); ++n)
            if (list[n].name != QStringLiteral("t%1").arg(n) || list[n].settings.padding != double(n))
                return -1;
        return int(list.size());
    }

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
        const BeautySettings settings{.cornerRadius = 20.5};
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

    // Files as the first versions wrote them, before the later styling keys:
    // they load to the look they were saved with.
    void readsTheFilesOfEarlierVersions()
    {
        Json settings = toJson(BeautySettings{});
        for (const StylingField& field : stylingFields())
            if (field.since > 1)
                settings.erase(field.key);
        QDir().mkpath(m_folder);
        QVERIFY(writeFile(QDir(m_folder).filePath("templates.json"),
                          R"([{"id":"A1B2C3D4-0000-4000-8000-00000000000F","name":"first","settings":)" +
                              QByteArray::fromStdString(settings.dump()) +
                              R"(,"createdAt":786297600.25,"updatedAt":786297600.5}])"));
        QVERIFY(writeFile(QDir(m_folder).filePath("gradients.json"),
                          R"({"gradients":[{"name":"Custom 1","gradient":{"kind":"linear","angle":90,)"
                          R"("centerX":0.5,"centerY":0.5,"stops":[{"color":{"red":1,"green":0,"blue":0,)"
                          R"("opacity":1},"position":0},{"color":{"red":0,"green":0,"blue":1,"opacity":1},)"
                          R"("position":1}]}}]})"));
        test::StdoutCapture capture;
        const TemplateManager manager;
        QCOMPARE(capture.text(), QByteArray());
        QCOMPARE(manager.templates().size(), 1);
        const Template& entry = manager.templates()[0];
        QCOMPARE(entry.id, QUuid::fromString(u"a1b2c3d4-0000-4000-8000-00000000000f"));
        QCOMPARE(entry.settings, BeautySettings{});
        QCOMPARE(entry.updatedAt, QDateTime(QDate(2025, 12, 1), QTime(16, 0, 0, 500), Qt::UTC));
        const UserGradients gradients;
        QCOMPARE(gradients.gradients().size(), 1);
        QCOMPARE(gradients.gradients()[0].gradient.angle, 90.0);
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

    // Saved gradients sit beside the templates, named in turn, and come back
    // in a new session; a file that cannot be read is kept as templates are.
    void savedGradientsLiveBesideTemplates()
    {
        const CustomGradient radial{.kind = GradientKind::radial,
                                    .stops = {{{0, 0, 0, 0.5}, 0.2}, {{1, 1, 0, 1}, 0.7}, {{0, 1, 1, 1}, 1}}};
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
        QVERIFY2(capture.text().contains("gradients[0].gradient.kind: expected one of"),
                 capture.text().constData());
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

    void killedDuringSavesLeavesOldOrNewList()
    {
        const QString directory = QDir(m_home.path()).filePath(QStringLiteral("saves"));
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        qInfo("kill moments seeded with %u", seed);

        QElapsedTimer elapsed;
        elapsed.start();
        int kills = 0, expected = 0;
        for (int round = 0; round < 40 && expected < kMaxTemplates - 40 && elapsed.elapsed() < 20000;
             ++round) {
            QProcess saver;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(saverVariable), directory);
            saver.setProcessEnvironment(env);
            saver.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY2(saver.waitForStarted(10000), qPrintable(saver.errorString()));

            // Let it complete a random number of saves (none, sometimes), then
            // kill it wherever it is in the next one.
            const int wanted = int(random.bounded(6));
            QByteArray output;
            while (output.count('\n') < wanted && saver.waitForReadyRead(10000))
                output += saver.readAllStandardOutput();
            if (random.bounded(2))
                QThread::usleep(random.bounded(2000u)); // a moment inside the next save
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(10000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            ++kills;

            // Saves reported before the kill are in the file; at most the one
            // in flight went beyond them. Any line but a count is a reported failure.
            output += saver.readAllStandardOutput();
            int completed = 0;
            for (const QByteArray& line : output.split('\n')) {
                bool number = line.isEmpty();
                if (!number)
                    completed = line.toInt(&number) - expected;
                QVERIFY2(number, line.constData());
            }
            const int found = consistentCount(directory);
            QVERIFY2(found >= expected + completed && found <= expected + completed + 1,
                     qPrintable(QString::asprintf("round %d: %d templates after %d + %d saves", round, found,
                                                  expected, completed)));
            expected = found;
        }
        QVERIFY(kills >= 5);
        QVERIFY(expected > 0);
    }
};

int main(int argc, char** argv)
{
    const QByteArray directory = qgetenv(saverVariable);
    if (!directory.isEmpty())
        return runSaver(argc, argv, QString::fromLocal8Bit(directory));
    QCoreApplication app(argc, argv);
    TestTemplateManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_template_manager.moc"
