// A capture tool may hand its job to a copy already running and exit before
// the file exists; the capture ends once the whole file is there, and a tool
// that fails or cancels still ends it at once.

#include "io/process_capture_backend.h"
#include "io_fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

class TestCaptureHandOff : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_sample;

    QString writeTool(const QByteArray& body)
    {
        const QString path = m_dir.filePath(QStringLiteral("tool"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write("#!/bin/sh\nsample='" + m_dir.filePath(QStringLiteral("sample.png")).toUtf8() + "'\n" +
                   body);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return path;
    }

  private slots:
    void initTestCase()
    {
        QVERIFY(patternImage(64, 48).save(m_dir.filePath(QStringLiteral("sample.png"))));
        QFile sample(m_dir.filePath(QStringLiteral("sample.png")));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        m_sample = sample.readAll();
        QVERIFY(m_sample.size() > 400);
    }

    void captureEndsWithTheWholeFile_data()
    {
        QTest::addColumn<QByteArray>("tool"); // the script's body; $1 is the output path
        QTest::addColumn<bool>("image");
        QTest::newRow("written before the tool exits") << QByteArray("cp \"$sample\" \"$1\"\n") << true;
        QTest::newRow("written after the tool exits")
            << QByteArray("(sleep 0.3; cp \"$sample\" \"$1\") >/dev/null 2>&1 &\nexit 0\n") << true;
        QTest::newRow("written in two parts after the tool exits")
            << QByteArray("(head -c 200 \"$sample\" > \"$1\"; sleep 0.3; tail -c +201 \"$sample\" >> \"$1\")"
                          " >/dev/null 2>&1 &\nexit 0\n")
            << true;
        QTest::newRow("succeeds without a file") << QByteArray("exit 0\n") << false;
        QTest::newRow("cancelled") << QByteArray("exit 1\n") << false;
    }
    void captureEndsWithTheWholeFile()
    {
        QFETCH(QByteArray, tool);
        QFETCH(bool, image);
        const QString program = writeTool(tool);
        QVERIFY(!program.isEmpty());
        ProcessCaptureBackend backend(QStringLiteral("tool"), program,
                                      [](CaptureMode, const QString& path) { return QStringList{path}; });
        backend.setHandOffWait(std::chrono::milliseconds(2000));
        const QString path = m_dir.filePath(QStringLiteral("capture.png"));
        QFile::remove(path);

        int calls = 0;
        QByteArray atEnd;
        backend.capture(CaptureMode::fullScreen, path, [&](const QString& error) {
            ++calls;
            QFile file(path);
            atEnd = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            QVERIFY(error.isEmpty());
        });
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);
        QCOMPARE(atEnd, image ? m_sample : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCaptureHandOff)
#include "tst_capture_hand_off.moc"
