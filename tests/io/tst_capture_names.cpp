// The names captures take in a folder, claimed by captures running at the
// same time.

#include "io/capture_file_name.h"
#include "test_fixtures.h"

#include <QDir>
#include <QtTest>
#include <barrier>
#include <thread>

using namespace lustrelab;

class TestCaptureNames : public QObject
{
    Q_OBJECT

    const QDateTime m_now{QDate(2026, 3, 4), QTime(4, 3, 33)};

  private slots:
    void claimsAtOnce_data()
    {
        QTest::addColumn<int>("claims");
        QTest::addColumn<QStringList>("present");  // in the folder before
        QTest::addColumn<QStringList>("expected"); // the names claimed, sorted
        const QString base = QStringLiteral("Screenshot 2026-03-04 04-03-33");
        const auto numbered = [&](int n) {
            return n == 1 ? base + QStringLiteral(".png") : QStringLiteral("%1 (%2).png").arg(base).arg(n);
        };
        QStringList eight;
        for (int n = 1; n <= 8; ++n)
            eight << numbered(n);
        QTest::newRow("one") << 1 << QStringList{} << QStringList{numbered(1)};
        QTest::newRow("eight at once") << 8 << QStringList{} << eight;
        QStringList many;
        for (int n = 1; n <= 64; ++n)
            many << numbered(n);
        QTest::newRow("sixty-four at once") << 64 << QStringList{} << many;
        QTest::newRow("beside earlier captures")
            << 2 << QStringList{numbered(1), numbered(2)} << QStringList{numbered(3), numbered(4)};
        QTest::newRow("a gap is filled first")
            << 2 << QStringList{numbered(1), numbered(3)} << QStringList{numbered(2), numbered(4)};
        QTest::newRow("a dangling link holds its name")
            << 1 << QStringList{QStringLiteral("link:") + numbered(1)} << QStringList{numbered(2)};
    }
    // Every claim gets a name of its own, created empty so that no other can
    // take it; nothing there before is touched.
    void claimsAtOnce()
    {
        QFETCH(int, claims);
        QFETCH(QStringList, present);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("shots"));
        QVERIFY(QDir().mkpath(folder));
        for (const QString& name : present) {
            if (name.startsWith(u"link:"))
                QVERIFY(
                    QFile::link(dir.filePath(QStringLiteral("nowhere")), QDir(folder).filePath(name.mid(5))));
            else
                QVERIFY(test::writeFile(QDir(folder).filePath(name), "earlier"));
        }

        // Each claim is made on a thread of its own, all let go at once.
        QList<QString> paths(claims), failures(claims);
        {
            std::barrier start(claims);
            std::vector<std::jthread> threads;
            for (int i = 0; i < claims; ++i)
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    paths[i] = claimCaptureFilePath(folder, m_now, ExportFormat::png, &failures[i]);
                });
        }
        QStringList claimed;
        for (int i = 0; i < claims; ++i) {
            QVERIFY2(failures[i].isEmpty(), qPrintable(failures[i]));
            QCOMPARE(QFileInfo(paths[i]).absolutePath(), QFileInfo(folder).absoluteFilePath());
            QCOMPARE(QFileInfo(paths[i]).size(), 0);
            claimed << QFileInfo(paths[i]).fileName();
        }
        claimed.sort();
        expected.sort();
        QCOMPARE(claimed, expected);
        for (const QString& name : present)
            if (!name.startsWith(u"link:"))
                QCOMPARE(test::readFile(QDir(folder).filePath(name)), QByteArray("earlier"));
    }

    // A folder that cannot be made is a failure that says why, never an
    // endless search.
    void unclaimable()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath(QStringLiteral("file")), "x"));
        QString failure;
        const QString path = claimCaptureFilePath(dir.filePath(QStringLiteral("file/shots")), m_now,
                                                  ExportFormat::png, &failure);
        QCOMPARE(path, QString());
        QVERIFY2(failure.contains(QStringLiteral("cannot create the folder")), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestCaptureNames)
#include "tst_capture_names.moc"
