// A process killed outright while it saves templates leaves the file as the
// list before that save or the list after it, and the file always loads.
//
// The test binary runs itself as the saver: with LUSTRELAB_TEST_SAVER_DIR set
// it adds templates to that folder in a loop, printing the count after each
// save returns, until it is killed.

#include "state/template_manager.h"
#include "test_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>

using namespace lustrelab;

namespace {

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

class TestTemplateCrash : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

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
                     qPrintable(QStringLiteral("round %1: %2 templates after %3 + %4 saves")
                                    .arg(round)
                                    .arg(found)
                                    .arg(expected)
                                    .arg(completed)));
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
    TestTemplateCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_template_crash.moc"
