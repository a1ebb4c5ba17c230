// `lustrelab presets`: one "id<TAB>name" line per catalogue entry.

#include "cli_process.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TestPresetsProcess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

  private slots:
    void groups_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstId");

        QTest::newRow("gradients") << "gradients" << 90 << QString();
        QTest::newRow("canvases") << "canvases" << 15 << "auto";
        QTest::newRow("frames") << "frames" << 18 << "none";
    }

    void groups()
    {
        QFETCH(QString, group);
        QFETCH(int, count);
        QFETCH(QString, firstId);
        const CliRun run = CliProcess(m_home.path()).run({"presets", group});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.outLines();
        QCOMPARE(lines.size(), count);
        QSet<QString> ids;
        for (const QString& line : lines) {
            const QStringList fields = line.split(u'\t');
            QCOMPARE(fields.size(), 2);
            QVERIFY(!fields[0].isEmpty() && !fields[1].isEmpty());
            ids.insert(fields[0]);
        }
        QCOMPARE(ids.size(), count); // ids are unique, so each selects one entry
        if (!firstId.isEmpty())
            QCOMPARE(lines.first().section(u'\t', 0, 0), firstId);
    }

    void allGroupsAreOneTable()
    {
        const CliRun run = CliProcess(m_home.path()).run({"presets"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.outLines();
        QCOMPARE(lines.size(), 90 + 15 + 18);
        QCOMPARE(lines.filter(QRegularExpression("^gradients\t[^\t]+\t[^\t]+$")).size(), 90);
        QCOMPARE(lines.filter(QRegularExpression("^canvases\t[^\t]+\t[^\t]+$")).size(), 15);
        QCOMPARE(lines.filter(QRegularExpression("^frames\t[^\t]+\t[^\t]+$")).size(), 18);
    }

    void unknownGroupIsAUsageError()
    {
        const CliRun run = CliProcess(m_home.path()).run({"presets", "fonts"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("fonts"));
    }
};

QTEST_GUILESS_MAIN(TestPresetsProcess)
#include "tst_presets_process.moc"
