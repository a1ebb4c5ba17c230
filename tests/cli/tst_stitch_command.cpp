// `lustrelab stitch` run as a script runs it, on frames cut from one drawn
// page: what it writes, what it refuses and how it says so.
#include "cli_fixtures.h"
#include "render/scrolled_page.h"

#include <QDir>
#include <QTest>
#include <QTransform>

using namespace lustrelab;

class TestStitchCommand : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    test::ScrolledView m_view = test::scrolledView(300, 600, 200, 1, true);

    clitest::Run stitch(const QStringList& arguments) const
    {
        return clitest::runLustrelab(QStringList{QStringLiteral("stitch")} + arguments, work(), m_home.path());
    }
    QString work() const { return m_home.filePath(QStringLiteral("work")); }
    QString inWork(const QString& name) const { return work() + u'/' + name; }

  private slots:
    void initTestCase()
    {
        QDir().mkpath(work());
        // Frames at 0, 100, 200, ... : each shares half its rows with the one before.
        const QList<QImage> frames = m_view.frames(100);
        QCOMPARE(frames.size(), 5);
        for (qsizetype i = 0; i < frames.size(); ++i)
            QVERIFY(frames[i].save(inWork(QStringLiteral("f%1.png").arg(i))));
        QVERIFY(m_view.frame(400, 0).save(inWork(QStringLiteral("far.png"))));
        QVERIFY(test::drawnBar(150, 123, Qt::darkGreen, 1).save(inWork(QStringLiteral("narrow.png"))));
        for (qsizetype i = 0; i < frames.size(); ++i)
            QVERIFY(frames[i].transformed(QTransform().rotate(-90)).save(inWork(QStringLiteral("s%1.png").arg(i))));
    }

    void outcomes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // the one line on standard error, or empty
        QTest::addColumn<QSize>("written"); // the size of out.png; empty: none written
        const QStringList all{"f0.png", "f1.png", "f2.png", "f3.png", "f4.png"};
        const QSize page(300, 28 + 600 + 18);
        QTest::newRow("overlapping frames give the page") << all + QStringList{"-o", "out.png"} << 0 << "" << page;
        QTest::newRow("side by side") << QStringList{"s0.png", "s1.png", "s2.png", "s3.png", "s4.png", "--horizontal",
                                                     "-o", "out.png"}
                                      << 0 << "" << page.transposed();
        QTest::newRow("a pair that does not overlap")
            << QStringList{"f0.png", "f1.png", "far.png", "-o", "out.png"} << 1
            << "lustrelab: stitch: f1.png and far.png do not overlap; --no-overlap-ok joins them edge to edge"
            << QSize();
        QTest::newRow("joined edge to edge when asked")
            << QStringList{"f0.png", "f1.png", "far.png", "--no-overlap-ok", "-o", "out.png"} << 0 << ""
            << QSize(300, 28 + 300 + 200 + 18);
        QTest::newRow("widths differ")
            << QStringList{"f0.png", "narrow.png", "-o", "out.png"} << 1
            << "lustrelab: stitch: narrow.png is 150 px wide but f0.png is 300 px wide; images joined top to "
               "bottom must be equally wide; --fit scales them to the narrowest"
            << QSize();
        QTest::newRow("fitted to the narrowest")
            << QStringList{"f0.png", "narrow.png", "--fit", "--no-overlap-ok", "-o", "out.png"} << 0 << ""
            << QSize(150, 123 + 123);
        QTest::newRow("styled") << QStringList{"f0.png", "f1.png", "--set", "padding=10", "--set",
                                               "shadowEnabled=false", "-o", "out.png"}
                                << 0 << "" << QSize(320, 28 + 300 + 18 + 20);
        QTest::newRow("a missing input") << QStringList{"f0.png", "nope.png", "-o", "out.png"} << 1
                                         << "lustrelab: nope.png: no such file" << QSize();
        QTest::newRow("one image") << QStringList{"f0.png", "-o", "out.png"} << 2 << "" << QSize();
        QTest::newRow("nowhere to go") << QStringList{"f0.png", "f1.png"} << 2 << "" << QSize();
        QTest::newRow("the output is an input") << QStringList{"f0.png", "f1.png", "-o", "f1.png"} << 2 << ""
                                                << QSize();
        QTest::newRow("--open with styling") << QStringList{"f0.png", "f1.png", "--open", "--styled"} << 2 << ""
                                             << QSize();
    }
    void outcomes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, error);
        QFETCH(QSize, written);
        QFile::remove(inWork(QStringLiteral("out.png")));
        const QByteArray before = test::readFile(inWork(QStringLiteral("f1.png")));

        const clitest::Run run = stitch(arguments);
        QCOMPARE(run.status, status);
        if (status == 2) // usage: the reason, then the usage line
            QCOMPARE(run.errLines.size(), 2);
        else if (!error.isEmpty())
            QCOMPARE(run.errLines, QStringList{error});
        else
            QCOMPARE(run.errLines, QStringList{});
        QCOMPARE(test::readFile(inWork(QStringLiteral("f1.png"))), before); // inputs are never touched
        const QImage out(inWork(QStringLiteral("out.png")));
        if (!written.isValid()) {
            QVERIFY(out.isNull());
            return;
        }
        QCOMPARE(out.size(), written);
        QCOMPARE(run.out, QStringLiteral("out.png\n"));
        if (QTest::currentDataTag() == QByteArrayView("overlapping frames give the page"))
            QCOMPARE(out.convertToFormat(QImage::Format_RGB32), m_view.whole().convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_GUILESS_MAIN(TestStitchCommand)
#include "tst_stitch_command.moc"
