// The window's export: written on a worker, reported on the event loop in the
// order asked, always the composed image of the moment it was asked for.

#include "state/app_state.h"
#include "test_fixtures.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace lustrelab;

namespace {

QImage opaque(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_RGB32);
    converted.setDevicePixelRatio(1);
    return converted;
}

} // namespace

class TestBackgroundExport : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void report_data()
    {
        QTest::addColumn<QString>("destination"); // relative to a fresh folder
        QTest::addColumn<bool>("composed");
        QTest::addColumn<bool>("written");
        QTest::newRow("writable") << "shot.png" << true << true;
        QTest::newRow("parent is a regular file") << "file/shot.png" << true << false;
        QTest::newRow("nothing composed") << "shot.png" << false << false;
    }
    // Success and failure both reach the window, a failure with its reason.
    void report()
    {
        QFETCH(QString, destination);
        QFETCH(bool, composed);
        QFETCH(bool, written);
        QTemporaryDir dir;
        QFile regular(dir.filePath(QStringLiteral("file")));
        QVERIFY(regular.open(QIODevice::WriteOnly));
        regular.close();
        AppState state(m_home.path());
        if (composed)
            state.setProcessedImage(test::solidImage(40, 30, qRgb(10, 200, 30)));
        QSignalSpy finished(&state, &AppState::exportFinished);
        const QUrl url = QUrl::fromLocalFile(dir.filePath(destination));

        state.exportImageInBackground(url, ExportFormat::png, 2.0);
        QVERIFY(finished.isEmpty()); // never inside the call
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toUrl(), url);
        QCOMPARE(finished[0][1].toString().isEmpty(), written);
        QCOMPARE(QFile::exists(url.toLocalFile()), written);
        if (written)
            QCOMPARE(QImage(url.toLocalFile()).size(), QSize(80, 60));
    }

    // Reports come in the order asked, however long each write takes, and each
    // file holds the image composed when it was asked for.
    void reportsKeepTheOrderAsked()
    {
        QTemporaryDir dir;
        AppState state(m_home.path());
        QList<QUrl> order;
        QStringList errors;
        connect(&state, &AppState::exportFinished, [&](const QUrl& url, const QString& error) {
            order << url;
            errors << error;
        });
        const QImage large = test::solidImage(1600, 1200, qRgb(250, 0, 0)),
                     small = test::solidImage(40, 30, qRgb(0, 0, 250));
        const QUrl first = QUrl::fromLocalFile(dir.filePath(QStringLiteral("large.png")));
        const QUrl failing = QUrl::fromLocalFile(dir.filePath(QStringLiteral("none/x.png")));
        const QUrl last = QUrl::fromLocalFile(dir.filePath(QStringLiteral("small.png")));

        state.setProcessedImage(large);
        state.exportImageInBackground(first, ExportFormat::png, 3.0);
        state.setProcessedImage(small); // the first export keeps its image
        state.exportImageInBackground(failing, ExportFormat::png, 1.0);
        state.exportImageInBackground(last, ExportFormat::png, 1.0);
        QTRY_COMPARE(order.size(), 3);

        QCOMPARE(order, QList<QUrl>({first, failing, last}));
        QVERIFY(errors[0].isEmpty() && !errors[1].isEmpty() && errors[2].isEmpty());
        QCOMPARE(opaque(QImage(first.toLocalFile())), opaque(test::solidImage(4800, 3600, qRgb(250, 0, 0))));
        QCOMPARE(opaque(QImage(last.toLocalFile())), opaque(small));
    }
};

QTEST_MAIN(TestBackgroundExport)
#include "tst_background_export.moc"
