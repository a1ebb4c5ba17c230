// `lustrelab capture` run as a user runs it, on a private X server (see
// xvfb_main.h) with a stand-in capture tool first on PATH, and the names it
// gives the files it writes.
#include "cli/capture_hand_over.h"
#include "cli/capture_output.h"
#include "cli_fixtures.h"
#include "render/image_processor.h"
#include "state/template_manager.h"
#include "xvfb_main.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <future>

using namespace lustrelab;

Q_DECLARE_METATYPE(std::optional<lustrelab::ExportFormat>)

class TestCaptureCommand : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

    // The stand-in tool writes a 64 x 40 screenshot to the path it is given, or
    // nothing when `cancel` says the user pressed Escape.
    // `scaleFactor` stands for a HiDPI screen.
    clitest::Run capture(const QStringList& arguments, bool cancel = false, bool withTool = true,
                         const QString& scaleFactor = {}) const
    {
        return clitest::runLustrelab(QStringList{QStringLiteral("capture")} + arguments, m_home.path(),
                                     m_home.path(), false, prepareTool(cancel, withTool, scaleFactor));
    }

    // Writes the stand-in tool; returns the environment that runs it. With
    // `together`, each run of the tool waits until that many have started.
    QProcessEnvironment prepareTool(bool cancel, bool withTool, const QString& scaleFactor, int together = 0,
                                    QSize shot = QSize(64, 40)) const
    {
        const QString bin = m_home.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        test::solidImage(shot.width(), shot.height(), qRgb(30, 160, 90))
            .save(m_home.filePath(QStringLiteral("shot.png")));
        const QString tool = bin + QStringLiteral("/screencapture");
        const QByteArray started = m_home.filePath(QStringLiteral("started")).toUtf8();
        const QByteArray meet = together == 0 ? QByteArray()
                                              : "mkdir -p '" + started + "'; touch '" + started +
                                                    "'/$$\nfor i in $(seq 200); do [ $(ls '" + started +
                                                    "' | wc -l) -ge " + QByteArray::number(together) +
                                                    " ] && break; sleep 0.05; done\n";
        test::writeFile(tool, "#!/bin/sh\nfor out; do :; done\n" + meet +
                                  QByteArray(cancel ? "exit 0\n" : "") + "cp '" +
                                  m_home.filePath(QStringLiteral("shot.png")).toUtf8() + "' \"$out\"\n");
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env;
        for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM"}) // this test's X server
            env.insert(name, qEnvironmentVariable(name));
        env.insert(QStringLiteral("PATH"),
                   (withTool ? bin + u':' : QString()) + qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"),
                   withTool ? QStringLiteral("screencapture") : QStringLiteral("none"));
        if (!scaleFactor.isEmpty())
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleFactor);
        return env;
    }

    // What `program` prints, or nothing when it fails.
    static QByteArray output(const QString& program, const QStringList& arguments,
                             const QByteArray& input = {})
    {
        QProcess process;
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(10000) || process.exitCode() != 0)
            return {};
        return process.readAllStandardOutput();
    }

    static int holdersRunning() { return int(test::clipboardHolders().size()); }

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
        QTest::addColumn<QString>("scaleFactor");
        QTest::addColumn<int>("files"); // written into out/
        QTest::newRow("written") << QStringList{"screen", "-o", "@out/"} << false << true << 0 << 0 << ""
                                 << 1;
        QTest::newRow("cancelled: nothing written or said")
            << QStringList{"-o", "@out/"} << true << true << 3 << 0 << "" << 0;
        QTest::newRow("no capture tool") << QStringList{"-o", "@out/"} << false << false << 1 << 1 << "" << 0;
        QTest::newRow("unwritable folder")
            << QStringList{"-o", "/proc/none/"} << false << true << 1 << 1 << "" << 0;
        QTest::newRow("unknown template")
            << QStringList{"--template", "Nope"} << false << true << 1 << 1 << "" << 0;
        QTest::newRow("unknown word") << QStringList{"everything"} << false << true << 2 << 2 << "" << 0;
        QTest::newRow("a copy alone writes nothing")
            << QStringList{"--copy"} << false << true << 0 << 0 << "" << 0;
        QTest::newRow("a copy with -o writes the file as well")
            << QStringList{"screen", "--copy", "-o", "@out/"} << false << true << 0 << 0 << "" << 1;
        QTest::newRow("after a delay") << QStringList{"screen", "--delay", "1", "-o", "@out/"} << false << true << 0
                                       << 0 << "" << 1;
        QTest::newRow("a delay over a minute") << QStringList{"--delay=61", "-o", "@out/"} << false << true << 2 << 2
                                               << "" << 0;
        QTest::newRow("a delay that is no number") << QStringList{"--delay", "soon"} << false << true << 2 << 2 << ""
                                                   << 0;
    }
    void outcomes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, cancel);
        QFETCH(bool, withTool);
        QFETCH(QString, scaleFactor);
        const QString out = m_home.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        const clitest::Run run = capture(arguments, cancel, withTool, scaleFactor);
        QTEST(run.status, "status");
        QTEST(int(run.errLines.size()), "errorLines");
        const QStringList written = QDir(out).entryList(QDir::Files);
        QTEST(int(written.size()), "files");
        const QStringList printed = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), written.size()); // every written path is printed, nothing else
        if (printed.isEmpty())
            return;
        const QImage image(printed[0]);
        QVERIFY(image.width() > 64 && image.height() > 40); // styled, with padding
        // A second capture within the same second keeps both.
        const clitest::Run again = capture(arguments, cancel, withTool, scaleFactor);
        QCOMPARE(again.status, 0);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
        QVERIFY(again.out != run.out);
    }

    // Escape pressed during the countdown, wherever the focus is: nothing
    // is captured, nothing written, exit status 3.
    void escapeCancelsTheDelay()
    {
        const QString out = m_home.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(prepareTool(false, true, {}));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("LUSTRELAB_BINARY"),
                      {QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("--delay"),
                       QStringLiteral("30"), QStringLiteral("-o"), out + u'/'});
        const auto overlayShown = [] {
            return !output(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "Lustrelab countdown"})
                        .isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(overlayShown(), 15000);
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 3);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

    void handOverFolderKeepsAWeek_data()
    {
        QTest::addColumn<QStringList>("files"); // name:age in days
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("week-old captures go, newer ones stay")
            << QStringList{"old.png:8", "older.png:30", "recent.png:6", "today.png:0"}
            << QStringList{"recent.png", "today.png"};
        QTest::newRow("only captures are cleared away")
            << QStringList{"notes.txt:30", "old.png:9"} << QStringList{"notes.txt"};
    }
    // `capture --open` passes the capture through a cache folder that would
    // grow for ever: files there older than a week are removed on the way,
    // never the recent ones a window may still be opening. The new capture
    // is there whole.
    void handOverFolderKeepsAWeek()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("captures"));
        QVERIFY(QDir().mkpath(folder));
        const QDateTime now = QDateTime::currentDateTime();
        for (const QString& entry : files) {
            const QString path = QDir(folder).filePath(entry.section(u':', 0, 0));
            QVERIFY(test::writeFile(path, "a capture"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(now.addDays(-entry.section(u':', 1).toInt()).addSecs(-60),
                                     QFileDevice::FileModificationTime));
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"); // no window to hand over to
        const QImage capture = test::solidImage(30, 20, qRgb(200, 40, 40));
        QCOMPARE(openCaptureInWindow(capture, folder, now, QStringLiteral("/bin/true")), QString());

        QStringList left = QDir(folder).entryList(QDir::Files, QDir::Name);
        const QStringList captures = left.filter(QStringLiteral("Screenshot "));
        QCOMPARE(captures.size(), 1);
        QCOMPARE(QImage(QDir(folder).filePath(captures[0])).convertToFormat(QImage::Format_RGB32),
                 capture.convertToFormat(QImage::Format_RGB32));
        left.removeOne(captures[0]);
        QCOMPARE(left, kept);
    }

    void capturesAtOnce_data()
    {
        QTest::addColumn<int>("captures");
        QTest::addColumn<int>("earlier"); // captures already in the folder from this second
        QTest::newRow("three at once") << 3 << 0;
        QTest::newRow("three at once beside an earlier one") << 3 << 1;
    }
    // Captures that finish together each keep their own file: none takes a
    // name another is about to write, none replaces an earlier capture.
    void capturesAtOnce()
    {
        QFETCH(int, captures);
        QFETCH(int, earlier);
        const QString out = m_home.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QDir(m_home.filePath(QStringLiteral("started"))).removeRecursively();
        QVERIFY(QDir().mkpath(out));
        // A large screenshot: styling and writing it takes a while, long
        // enough for the others to look for a free name meanwhile.
        const QProcessEnvironment env = prepareTool(false, true, {}, captures, QSize(1600, 1000));
        QList<QByteArray> earlierBytes;
        for (int i = 0; i < earlier; ++i) {
            const QString name = i == 0 ? QStringLiteral("Screenshot %1.png")
                                        : QStringLiteral("Screenshot %1 (%2).png").arg(i + 1);
            const QString path =
                QDir(out).filePath(name.arg(QDateTime::currentDateTime().toString("yyyy-MM-dd HH-mm-ss")));
            earlierBytes << "an earlier capture " + QByteArray::number(i);
            QVERIFY(test::writeFile(path, earlierBytes.last()));
        }
        const QStringList before = QDir(out).entryList(QDir::Files, QDir::Name);

        std::vector<std::future<clitest::Run>> runs;
        for (int i = 0; i < captures; ++i)
            runs.push_back(std::async(std::launch::async, [&] {
                return clitest::runLustrelab({"capture", "screen", "-o", "@out/"}, m_home.path(),
                                             m_home.path(), false, env);
            }));
        QSet<QString> printed;
        for (auto& run : runs) {
            const clitest::Run done = run.get();
            QCOMPARE(done.status, 0);
            QVERIFY2(done.errLines.isEmpty(), qPrintable(done.errLines.join(u'\n')));
            printed.insert(done.out.trimmed());
        }
        QCOMPARE(printed.size(), captures);
        const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), captures + earlier);
        for (const QString& path : printed)
            QVERIFY2(QImage(path).width() > 1600, qPrintable(path)); // whole, styled
        for (int i = 0; i < earlier; ++i)
            QCOMPARE(test::readFile(QDir(out).filePath(before[i])), earlierBytes[i]);
    }

    // Without --scale a capture keeps the screenshot's own pixels: a 1x
    // screen is not blown up (and softened) to twice its size, whatever the
    // styling's exportScale; --scale still chooses.
    void defaultScaleIsTheScreenshots_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("scaleFactor");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("scale");
        QTest::newRow("1x screen") << QStringList{} << "" << 1.0 << 1.0;
        QTest::newRow("1x screen, a template at 3x") << QStringList{"--template", "Wide"} << "" << 1.0 << 1.0;
        QTest::newRow("1x screen, --scale 2") << QStringList{"--scale", "2"} << "" << 1.0 << 2.0;
        QTest::newRow("HiDPI screen") << QStringList{} << "2" << 2.0 << 2.0;
    }
    void defaultScaleIsTheScreenshots()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, scaleFactor);
        QFETCH(double, ratio);
        QFETCH(double, scale);
        const BeautySettings wide{.padding = 12, .exportScale = 3};
        TemplateManager(TemplateManager::defaultDirectory()).saveTemplate(QStringLiteral("Wide"), wide);
        const QString out = m_home.filePath(QStringLiteral("scaled.png"));
        QFile::remove(out);
        const clitest::Run run =
            capture(QStringList{"screen", "-o", out} + arguments, false, true, scaleFactor);
        QCOMPARE(run.status, 0);
        const QImage written(out);
        const BeautySettings styling = arguments.contains(QStringLiteral("Wide")) ? wide : BeautySettings{};
        // Scale 1 is the composed pixels as they are; any other is relative to the points.
        const QSizeF composed = ImageProcessor::canvasPixelsFor(QSize(64, 40), ratio, styling);
        const QSizeF expected = scale == 1.0 ? composed : composed / ratio * scale;
        QVERIFY2(std::abs(written.width() - expected.width()) <= 1 &&
                     std::abs(written.height() - expected.height()) <= 1,
                 qPrintable(QStringLiteral("%1 x %2, expected %3 x %4")
                                .arg(written.width())
                                .arg(written.height())
                                .arg(expected.width())
                                .arg(expected.height())));
    }

    // The styled copy is still pasteable once the command has returned, until
    // another program takes the clipboard; then nothing of ours is left running.
    void copyOutlivesTheCommand()
    {
        const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
        if (xclip.isEmpty())
            QSKIP("xclip is not installed");
        const QStringList readPng{"-o", "-selection", "clipboard", "-t", "image/png"};
        const BeautySettings tight{.padding = 8, .exportScale = 3};
        TemplateManager(TemplateManager::defaultDirectory()).saveTemplate(QStringLiteral("Tight"), tight);

        // An earlier test's copy may still be held; taking the clipboard ends it.
        output(xclip, {"-selection", "clipboard"}, "someone else's text");
        QTRY_COMPARE(holdersRunning(), 0);

        QCOMPARE(capture({"--copy", "--template", "Tight", "--scale", "3"}, true).status, 3);
        QCOMPARE(holdersRunning(), 0); // a cancelled capture copies nothing
        QVERIFY(QImage::fromData(output(xclip, readPng), "PNG").isNull());

        const clitest::Run run = capture({"screen", "--copy", "--template", "Tight", "--scale", "3"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.isEmpty());
        const QImage pasted = QImage::fromData(output(xclip, readPng), "PNG");
        QCOMPARE(pasted.size(), (ImageProcessor::canvasPixelsFor(QSize(64, 40), 1, tight) * 3).toSize());
        QCOMPARE(holdersRunning(), 1);

        output(xclip, {"-selection", "clipboard"}, "someone else's text");
        QTRY_COMPARE(holdersRunning(), 0);
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QCoreApplication, TestCaptureCommand>(argc, argv, "640x480x24");
}
#include "tst_capture_command.moc"
