// `lustrelab capture` run as a user runs it, on a private X server (see
// xvfb_main.h) with a stand-in capture tool first on PATH, and the names it
// gives the files it writes.
#include "cli/capture_output.h"
#include "test_fixtures.h"
#include "xvfb_main.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace lustrelab;

Q_DECLARE_METATYPE(std::optional<lustrelab::ExportFormat>)

class TestCaptureCommand : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

    struct Run
    {
        int status = -1;
        QStringList out;
        QStringList err;
    };

    // The stand-in tool writes a 64 x 40 screenshot to the path it is given, or
    // nothing when `cancel` says the user pressed Escape.
    Run capture(const QStringList& arguments, bool cancel = false, bool withTool = true) const
    {
        const QString bin = m_home.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        test::solidImage(64, 40, qRgb(30, 160, 90)).save(m_home.filePath(QStringLiteral("shot.png")));
        QFile tool(bin + QStringLiteral("/screencapture"));
        if (tool.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            tool.write("#!/bin/sh\nfor out; do :; done\n" + QByteArray(cancel ? "exit 0\n" : "") + "cp '" +
                       m_home.filePath(QStringLiteral("shot.png")).toUtf8() + "' \"$out\"\n");
            tool.close();
            tool.setPermissions(tool.permissions() | QFile::ExeOwner);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"),
                   (withTool ? bin + u':' : QString()) + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"),
                   withTool ? QStringLiteral("screencapture") : QStringLiteral("none"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("LUSTRELAB_BINARY"),
                      QStringList{QStringLiteral("capture")} + arguments);
        if (!process.waitForFinished(60000))
            return {};
        auto lines = [](const QByteArray& text) {
            return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
        };
        return {process.exitCode(), lines(process.readAllStandardOutput()),
                lines(process.readAllStandardError())};
    }

  private slots:
    void names_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<ExportFormat>>("format");
        QTest::addColumn<int>("taken"); // names already used in the folder
        QTest::addColumn<QString>("expected");
        const std::optional<ExportFormat> none, jpeg = ExportFormat::jpeg;
        QTest::newRow("no -o: Pictures")
            << "" << none << 0 << "/pics/Lustrelab/Screenshot 2026-03-04 05-06-07.png";
        QTest::newRow("a folder: the next free name")
            << "out/" << none << 2 << "out/Screenshot 2026-03-04 05-06-07 (3).png";
        QTest::newRow("--format names the suffix")
            << "out/" << jpeg << 0 << "out/Screenshot 2026-03-04 05-06-07.jpeg";
        QTest::newRow("a file is kept as given") << "a/b.JPG" << none << 5 << "a/b.JPG";
    }
    void names()
    {
        QFETCH(QString, output);
        QFETCH(std::optional<ExportFormat>, format);
        QFETCH(int, taken);
        int asked = 0;
        const CaptureOutput planned =
            planCaptureOutput(output, format, ExportFormat::png, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)),
                              QStringLiteral("/pics"), [&](const QString&) { return asked++ < taken; });
        QTEST(planned.path, "expected");
        // A file's suffix decides its encoding, as --format does for a folder.
        const bool jpegWanted = format == ExportFormat::jpeg || output.endsWith(u".JPG");
        QCOMPARE(planned.format, jpegWanted ? ExportFormat::jpeg : ExportFormat::png);
    }

    void outcomes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("withTool");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("errorLines");
        QTest::newRow("written") << QStringList{"screen", "-o", "@out/"} << false << true << 0 << 0;
        QTest::newRow("cancelled: nothing written or said")
            << QStringList{"-o", "@out/"} << true << true << 3 << 0;
        QTest::newRow("no capture tool") << QStringList{"-o", "@out/"} << false << false << 1 << 1;
        QTest::newRow("unwritable folder") << QStringList{"-o", "/proc/none/"} << false << true << 1 << 1;
        QTest::newRow("unknown template") << QStringList{"--template", "Nope"} << false << true << 1 << 1;
        QTest::newRow("unknown word") << QStringList{"everything"} << false << true << 2 << 2;
    }
    void outcomes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, cancel);
        QFETCH(bool, withTool);
        const QString out = m_home.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        const Run run =
            capture(arguments.replaceInStrings(QStringLiteral("@"), m_home.path() + u'/'), cancel, withTool);
        QTEST(run.status, "status");
        QTEST(int(run.err.size()), "errorLines");
        const QStringList written = QDir(out).entryList(QDir::Files);
        QCOMPARE(run.out.size(), written.size()); // every written path is printed, nothing else
        if (run.status != 0)
            return;
        const QImage image(run.out[0]);
        QVERIFY(image.width() > 64 * 2 && image.height() > 40 * 2); // styled at the default 2x, with padding
    }

    // Two captures within a second into one folder keep both.
    void sameSecondKeepsBoth()
    {
        const QString out = m_home.filePath(QStringLiteral("twice/"));
        const Run first = capture({QStringLiteral("-o"), out}), second = capture({QStringLiteral("-o"), out});
        QCOMPARE(first.status, 0);
        QCOMPARE(second.status, 0);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
        QVERIFY(first.out != second.out);
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QCoreApplication, TestCaptureCommand>(argc, argv, "640x480x24");
}
#include "tst_capture_command.moc"
