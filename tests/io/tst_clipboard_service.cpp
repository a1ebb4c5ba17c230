// The window's copies: which one the clipboard ends with, and the word the
// user gets when a copy cannot outlive the window.

#include "fake_notifications.h"
#include "io/clipboard_service.h"
#include "io/desktop_notifier.h"
#include "test_fixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

using namespace lustrelab;

namespace {

enum class Copy { image, otherImage, text };

} // namespace

class TestClipboardService : public QObject
{
    Q_OBJECT

    test::PrivateSessionBus m_bus;
    test::FakeNotifications m_server;

    static QClipboard& clipboard() { return *QGuiApplication::clipboard(); }

    // Every notification sent so far has reached the server: one more, sent
    // on the same connection after them, has.
    void settleNotifications()
    {
        const qsizetype before = m_server.shown.size();
        DesktopNotifier sentinel;
        sentinel.notify({QStringLiteral("sentinel"), {}, {}, {}});
        QTRY_VERIFY(m_server.shown.size() > before);
        QCOMPARE(m_server.shown.takeLast().summary, QStringLiteral("sentinel"));
    }

  private slots:
    void initTestCase()
    {
        if (m_bus.address().isEmpty())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(
            m_server.registerOn(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"))));
    }

    void init()
    {
        clipboard().clear();
        m_server.shown.clear();
    }

    void theLaterCopyWins_data()
    {
        QTest::addColumn<QList<Copy>>("copies"); // made one after the other, without waiting
        QTest::addColumn<Copy>("last");
        QTest::newRow("text while an image is encoded") << QList<Copy>{Copy::image, Copy::text} << Copy::text;
        QTest::newRow("an image after text") << QList<Copy>{Copy::text, Copy::image} << Copy::image;
        QTest::newRow("an image while another is encoded")
            << QList<Copy>{Copy::image, Copy::otherImage} << Copy::otherImage;
        QTest::newRow("text between two images")
            << QList<Copy>{Copy::image, Copy::text, Copy::otherImage} << Copy::otherImage;
    }
    // An image is offered once its PNG is ready; a copy made meanwhile is the
    // one the user meant, whatever its kind, and it stays.
    void theLaterCopyWins()
    {
        QFETCH(QList<Copy>, copies);
        QFETCH(Copy, last);
        const QImage image = test::solidImage(1200, 900, Qt::darkCyan);
        const QImage otherImage = test::solidImage(30, 20, Qt::magenta);
        ClipboardService service(&clipboard(), [] { return QString(); });
        QList<QFuture<bool>> offered;
        for (const Copy copy : copies) {
            if (copy == Copy::text)
                service.writeText(QStringLiteral("recognised text"));
            else
                offered << service.writeImage(copy == Copy::image ? image : otherImage);
        }
        for (const QFuture<bool>& future : offered)
            QTRY_VERIFY(future.isFinished());
        QTest::qWait(0); // anything the last encoding queued

        const QMimeData* mime = clipboard().mimeData();
        QVERIFY(mime);
        if (last == Copy::text) {
            QCOMPARE(mime->text(), QStringLiteral("recognised text"));
            QVERIFY(!mime->hasImage());
        } else {
            QVERIFY(mime->hasImage());
            QCOMPARE(qvariant_cast<QImage>(mime->imageData()).size(),
                     (last == Copy::image ? image : otherImage).size());
        }
        // Only the last image, if it is the last copy, says it was offered.
        for (qsizetype i = 0; i < offered.size(); ++i)
            QCOMPARE(offered[i].result(), last != Copy::text && i == offered.size() - 1);
    }

    void warnsOnceWhenACopyCannotOutlive_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("notices");
        const QString missing = QStringLiteral("install wl-clipboard");
        QTest::newRow("cannot outlive: said once") << missing << 3 << 1;
        QTest::newRow("can outlive: nothing said") << QString() << 2 << 0;
    }
    // The user, who may have no terminal, learns it from a notification the
    // first time: later copies say nothing more.
    void warnsOnceWhenACopyCannotOutlive()
    {
        QFETCH(QString, problem);
        QFETCH(int, copies);
        ClipboardService service(&clipboard(), [problem] { return problem; });
        for (int i = 0; i < copies; ++i) {
            QFuture<bool> offered = service.writeImage(test::solidImage(8, 6, Qt::red));
            QTRY_VERIFY(offered.isFinished());
            QVERIFY(offered.result());
        }
        settleNotifications();
        QTEST(int(m_server.shown.size()), "notices");
        if (!m_server.shown.isEmpty())
            QVERIFY2(m_server.shown[0].body.contains(problem), qPrintable(m_server.shown[0].body));
    }
};

QTEST_MAIN(TestClipboardService)
#include "tst_clipboard_service.moc"
