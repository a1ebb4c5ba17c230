// Tests on a real X server (see xvfb_main.h). Keys are pressed with xdotool.

#include "app/app_delegate.h"
#include "fake_notifications.h"
#include "io/clipboard_service.h"
#include "io/xcb_key_grab.h"
#include "render/image_processor.h"
#include "state/app_state.h"
#include "state/preferences_store.h"
#include "state/project_files.h"
#include "state/session_store.h"
#include "test_fixtures.h"
#include "ui/main_window.h"
#include "xvfb_main.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRasterWindow>
#include <QtTest>
#include <memory>
#include <span>

using namespace lustrelab;

namespace {

// Counts requests and leaves an image at the path, as a tool would.
class FakeCaptureBackend : public CaptureBackend
{
  public:
    QString name() const override { return QStringLiteral("fake"); }
    void capture(CaptureMode mode, const QString& path, Done done) override
    {
        calls.append(mode);
        test::solidImage(6, 4, Qt::darkCyan).save(path, "png");
        QTimer::singleShot(0, this, [done] { done({}); });
    }
    QList<CaptureMode> calls;
};

// How many pixels of the screen are within a small distance of `colour`
// (the canvas may resample the image, but its inside keeps the colour).
int pixelsNear(const QImage& screen, QColor colour)
{
    const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
    int count = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (const QRgb pixel :
             std::span(reinterpret_cast<const QRgb*>(screen.constScanLine(y)), screen.width()))
            count += near(qRed(pixel), colour.red()) && near(qGreen(pixel), colour.green()) &&
                     near(qBlue(pixel), colour.blue());
    return count;
}

// Takes screenshots into `folder` until one shows `colour` over a large area,
// for at most 30 s of real time (each screenshot takes a noticeable moment).
QImage waitForScreen(const QString& folder, QColor colour)
{
    const QString path = folder + QStringLiteral("/screen.png");
    for (const QDeadlineTimer deadline(30000); !deadline.hasExpired();) {
        QTest::qWait(200);
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), path});
        const QImage screen = QImage(path).convertToFormat(QImage::Format_RGB32);
        if (pixelsNear(screen, colour) > 5000)
            return screen;
    }
    return {};
}

struct ShowCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Show;
        return false;
    }
};

void press(const QString& keys)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys.split(u' '));
    QVERIFY(process.waitForFinished(10000) && process.exitCode() == 0);
}

// The real program on `image` with this test's home and bus, its output
// passed through; it is stopped with the returned guard's end at the latest.
std::unique_ptr<QProcess> startWindow(const QString& binary, const QString& image)
{
    auto app = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"));
    app->setProcessEnvironment(environment);
    app->setProcessChannelMode(QProcess::ForwardedChannels);
    app->start(binary, {image});
    return app->waitForStarted() ? std::move(app) : nullptr;
}

void stopWindow(QProcess& app)
{
    if (app.state() == QProcess::NotRunning)
        return;
    app.terminate();
    if (!app.waitForFinished(5000))
        app.kill();
    app.waitForFinished(1000);
    // Ended as a logout ends it, the window kept its tabs for its next start:
    // they are not the next window's.
    QDir(SessionStore::defaultFolder()).removeRecursively();
}

// Keys for the visible window of process `pid`. No window manager runs
// here: the keyboard follows the pointer, which is moved over the window.
// (Keys sent in the same xdotool call as the search go to the window as
// synthetic events, which do not trigger shortcuts.)
void pressIn(qint64 pid, const QString& keys)
{
    const auto xdotool = [](const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        const bool done = process.waitForFinished(10000) && process.exitCode() == 0;
        return std::make_pair(done, QString::fromUtf8(process.readAllStandardOutput()).section(u'\n', 0, 0));
    };
    const QString window =
        xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(pid)}).second;
    QVERIFY(!window.isEmpty());
    xdotool({"windowfocus", window, "mousemove", "--window", window, "60", "60"});
    QTest::qWait(300);
    QVERIFY(xdotool(QStringList{"key"} + keys.split(u' ')).first);
}

// What xclip reads from the clipboard as `type`, while this process (which
// may be the owner) goes on serving it.
QByteArray pasted(const char* type)
{
    QProcess paste;
    paste.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", type});
    if (!QTest::qWaitFor([&] { return paste.state() == QProcess::NotRunning; }, 10000))
        paste.kill();
    return paste.readAllStandardOutput();
}

// Another program takes the clipboard, with text.
void takeClipboardElsewhere()
{
    QProcess copy;
    copy.start(QStringLiteral("xclip"), {"-selection", "clipboard"});
    copy.write("someone else's text");
    copy.closeWriteChannel();
    QVERIFY(copy.waitForFinished(10000) && copy.exitCode() == 0);
}

// The colour in the middle of the PNG, where a styled screenshot shows its capture.
QColor middleOf(const QByteArray& png)
{
    const QImage image = QImage::fromData(png, "PNG");
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

class TestXvfb : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;
    test::PrivateSessionBus m_bus; // for the quick capture's notification
    std::unique_ptr<AppState> m_state;
    FakeCaptureBackend* m_backend = nullptr; // owned by the state's capture service

  private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    void init()
    {
        QDir(SessionStore::defaultFolder()).removeRecursively();
        m_state = std::make_unique<AppState>(m_home.filePath(QStringLiteral("templates")));
        m_backend = new FakeCaptureBackend;
        m_state->screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(m_backend));
    }

    void cleanup() { m_state.reset(); }

    void hotKey_data()
    {
        QTest::addColumn<QString>("keys"); // as xdotool names them, in order
        QTest::addColumn<int>("setups");
        QTest::addColumn<bool>("terminated");
        QTest::addColumn<int>("captures");
        QTest::newRow("hot key") << "ctrl+shift+6" << 1 << false << 1;
        QTest::newRow("Caps Lock on") << "Caps_Lock ctrl+shift+6 Caps_Lock" << 1 << false << 1;
        QTest::newRow("Num Lock on") << "Num_Lock ctrl+shift+6 Num_Lock" << 1 << false << 1;
        QTest::newRow("other modifiers") << "ctrl+6 ctrl+shift+alt+6" << 1 << false << 0;
        QTest::newRow("set up twice") << "ctrl+shift+6" << 2 << false << 1;
        QTest::newRow("after termination") << "ctrl+shift+6" << 1 << true << 0;
    }
    // One press, one region capture in a new tab.
    void hotKey()
    {
        QFETCH(QString, keys);
        QFETCH(int, setups);
        QFETCH(bool, terminated);
        QFETCH(int, captures);
        AppDelegate delegate;
        for (int i = 0; i < setups; ++i)
            delegate.setup(m_state.get());
        QVERIFY(qobject_cast<XcbKeyGrab*>(delegate.shortcut()));
        if (terminated)
            delegate.applicationWillTerminate();
        const qsizetype tabs = m_state->tabs().size();
        press(keys);
        QTRY_COMPARE(m_backend->calls.size(), captures);
        QTest::qWait(900); // time for a second capture to show: X server, filter, hand-off, settle delay
        QCOMPARE(m_backend->calls, QList<CaptureMode>(captures, CaptureMode::region));
        QCOMPARE(m_state->tabs().size(), tabs + captures);
    }

    // The real program, started like a file manager's "Open with" would:
    // the composed image appears on the screen; then the hot key, pressed
    // while another program's window has the focus, captures through the
    // capture tool and shows the capture composed in a new tab.
    void launchAndCaptureFromElsewhere()
    {
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs build/lustrelab, ImageMagick's import and xdotool");
        QTemporaryDir work;
        const QColor opened(20, 200, 240), captured(250, 120, 10);
        const QString openedPath = work.filePath(QStringLiteral("opened.png"));
        const QString capturedPath = work.filePath(QStringLiteral("captured.png"));
        QVERIFY(test::solidImage(480, 300, opened).save(openedPath));
        QVERIFY(test::solidImage(480, 300, captured).save(capturedPath));
        const QString script = work.filePath(QStringLiteral("screencapture"));
        QVERIFY(test::writeFile(script, "#!/bin/sh\nfor out; do :; done\necho \"$@\" >> '" +
                                            work.filePath("calls").toUtf8() + "'\n/bin/cp '" +
                                            capturedPath.toUtf8() + "' \"$out\"\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));

        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"),
                           work.path() + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        environment.remove(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND")); // HOME and XDG: m_home's
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(binary, {openedPath});
        QVERIFY(app.waitForStarted());
        const auto stop = qScopeGuard([&app] {
            app.terminate();
            if (!app.waitForFinished(5000))
                app.kill();
        });

        QImage screen = waitForScreen(work.path(), opened);
        QVERIFY2(!screen.isNull(), "the opened image never showed");
        QCOMPARE(pixelsNear(screen, captured), 0);

        QRasterWindow other;
        other.setGeometry(0, 0, 200, 150);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.requestActivate();
        QTRY_VERIFY(other.isActive());
        press(QStringLiteral("ctrl+shift+6"));

        screen = waitForScreen(work.path(), captured);
        QVERIFY2(!screen.isNull(), "the captured image never showed");
        QVERIFY(test::readFile(work.filePath(QStringLiteral("calls"))).startsWith("-i -x "));
        // The first image now shows only as its tab's thumbnail.
        const int thumbnail = pixelsNear(screen, opened);
        QVERIFY2(thumbnail > 0 && thumbnail <= 16 * 16, qPrintable(QString::number(thumbnail)));
        QCOMPARE(app.state(), QProcess::Running);
    }

    // With "Style and copy", the hot key pressed while the window is put away
    // styles the capture, copies it for other programs and says so in a
    // notification; the window never appears. (What is styled, saved and
    // copied in each mode: tst_quick_capture.)
    void quickCaptureFromTheHotKey()
    {
        if (m_bus.address().isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("needs dbus-daemon and xclip");
        test::FakeNotifications server;
        QVERIFY(server.registerOn(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"))));
        PreferencesStore preferences;
        preferences.setAfterCapture(PreferencesStore::AfterCapture::styleAndCopy);
        const auto restore =
            qScopeGuard([&] { preferences.setAfterCapture(PreferencesStore::AfterCapture::openInNewTab); });

        MainWindow window(*m_state); // put away: never shown
        ShowCounter shows;
        window.installEventFilter(&shows);
        AppDelegate delegate;
        delegate.setup(m_state.get());
        const qsizetype tabs = m_state->tabs().size();
        press(QStringLiteral("ctrl+shift+6"));

        QTRY_COMPARE_WITH_TIMEOUT(server.shown.size(), 1, 10000);
        QCOMPARE(server.shown[0].summary, QStringLiteral("Styled screenshot copied"));

        QProcess paste; // another program reads the clipboard while this one serves it
        paste.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", "image/png"});
        QTRY_COMPARE_WITH_TIMEOUT(paste.state(), QProcess::NotRunning, 10000);
        const QImage pasted = QImage::fromData(paste.readAllStandardOutput(), "PNG");
        QVERIFY(pasted.width() > 6 && pasted.height() > 4); // the 6 x 4 capture, with its background
        QCOMPARE(m_state->tabs().size(), tabs);
        QCOMPARE(shows.count, 0);
        QVERIFY(!window.isVisible());
    }

    void copyOutlivesTheWindow_data()
    {
        QTest::addColumn<bool>("takenBeforeQuit"); // by another Lustrelab window's copy
        QTest::addColumn<bool>("takenAfterQuit");
        QTest::addColumn<int>("holders"); // once the window has quit
        QTest::newRow("quits owning its copy") << false << false << 1;
        QTest::newRow("another window copies after the quit") << false << true << 1;
        QTest::newRow("another window copied before the quit") << true << false << 0;
    }
    // The window's copy pastes after it has quit, served by a holder that
    // leaves as soon as it owns nothing, whoever took the clipboard; a copy
    // someone else has made since is never replaced by the quitting window's.
    void copyOutlivesTheWindow()
    {
        QFETCH(bool, takenBeforeQuit);
        QFETCH(bool, takenAfterQuit);
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("needs build/lustrelab, ImageMagick's import, xdotool and xclip");
        takeClipboardElsewhere(); // from an earlier row
        QTRY_COMPARE_WITH_TIMEOUT(test::clipboardHolders().size(), 0, 10000);

        QTemporaryDir work;
        const QColor windowColour(20, 200, 240), otherColour(250, 120, 10);
        const QString image = work.filePath(QStringLiteral("one.png"));
        QVERIFY(test::solidImage(480, 300, windowColour).save(image));
        const std::unique_ptr<QProcess> app = startWindow(binary, image);
        QVERIFY(app);
        const auto stop = qScopeGuard([&app] { stopWindow(*app); });
        QVERIFY2(!waitForScreen(work.path(), windowColour).isNull(), "the window never showed");
        pressIn(app->processId(), QStringLiteral("ctrl+c"));
        QTRY_COMPARE_WITH_TIMEOUT(middleOf(pasted("image/png")), windowColour, 10000);

        // Another Lustrelab window copies the way the window does.
        ClipboardService otherWindow(QGuiApplication::clipboard());
        const auto copyInOtherWindow = [&] {
            QFuture<bool> offered = otherWindow.writeImage(test::solidImage(40, 30, otherColour));
            QTRY_VERIFY(offered.isFinished());
            QVERIFY(offered.result());
        };
        if (takenBeforeQuit)
            copyInOtherWindow();
        pressIn(app->processId(), QStringLiteral("ctrl+q"));
        QTest::qWait(1000);
        press(
            QStringLiteral("alt+d")); // "Don't Save", to the question now in front: the image was never saved
        QVERIFY(app->waitForFinished(10000));
        QTEST(int(test::clipboardHolders().size()), "holders");
        QCOMPARE(middleOf(pasted("image/png")), takenBeforeQuit ? otherColour : windowColour);

        if (takenAfterQuit) {
            copyInOtherWindow();
            QCOMPARE(middleOf(pasted("image/png")), otherColour);
            // Owning nothing, the holder has nothing to do: it does not wait
            // for the next owner to change as well.
            QTRY_COMPARE_WITH_TIMEOUT(test::clipboardHolders().size(), 0, 4000);
        }
        takeClipboardElsewhere();
        QTRY_COMPARE_WITH_TIMEOUT(test::clipboardHolders().size(), 0, 4000);
        QCOMPARE(pasted("UTF8_STRING"), QByteArray("someone else's text"));
    }

    // A capture command started outside the window (a key binding, a desktop
    // action) while the window shows: the picture is of the desktop, not of
    // Lustrelab, which comes back afterwards.
    // The real program, killed, or ended as a logout ends it: at the next
    // start every tab comes back, in its order, and exports the same pixels
    // as before; a clean quit then leaves nothing to restore.
    void tabsSurviveTheEnd_data()
    {
        QTest::addColumn<bool>("logout");
        QTest::newRow("SIGKILL once the session is written") << false;
        QTest::newRow("SIGTERM as soon as the window shows") << true;
    }

    void tabsSurviveTheEnd()
    {
        QFETCH(bool, logout);
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs build/lustrelab, ImageMagick's import and xdotool");
        QTemporaryDir work;
        const QColor colours[] = {QColor(200, 30, 60), QColor(30, 90, 220)};
        QStringList images;
        for (const QColor& colour : colours) {
            images.append(work.filePath(colour.name().mid(1) + QStringLiteral(".png")));
            QVERIFY(test::solidImage(480, 300, colour).save(images.last()));
        }
        const QDir session(SessionStore::defaultFolder());
        QDir(session).removeRecursively();
        // The session's tabs as its index lists them, by name.
        const auto listed = [&session] {
            QFile index(session.filePath(QStringLiteral("session.json")));
            if (!index.open(QIODevice::ReadOnly))
                return QStringList();
            QStringList names;
            for (const QJsonValue& tab : QJsonDocument::fromJson(index.readAll())["tabs"].toArray())
                names.append(tab["name"].toString());
            return names;
        };
        const QStringList names{QFileInfo(images[0]).fileName(), QFileInfo(images[1]).fileName()};

        auto app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(binary, images);
        QVERIFY(app->waitForStarted());
        if (!logout)
            QTRY_COMPARE_WITH_TIMEOUT(listed(), names, 30000);
        QVERIFY2(!waitForScreen(work.path(), colours[1]).isNull(), "the window never showed");
        if (logout) { // the program writes its tabs and ends by itself
            app->terminate();
            QVERIFY(app->waitForFinished(10000));
            QCOMPARE(app->exitStatus(), QProcess::NormalExit);
            QCOMPARE(listed(), names);
        }
        // What each tab exports, from the session's own record of it.
        const auto exported = [&session] {
            QList<QImage> images;
            const SessionStore::Saved saved = SessionStore::read(session.path(), ProjectFiles());
            for (const ScreenshotTab& tab : saved.tabs)
                images.append(ImageProcessor().process(tab.document.screenshot, tab.document.settings,
                                                       tab.document.annotations));
            return images;
        };
        const QList<QImage> before = exported();
        QCOMPARE(before.size(), 2);
        for (int i = 0; i < 2; ++i) // the default styling around each screenshot
            QCOMPARE(before[i].pixelColor(before[i].width() / 2, before[i].height() / 2), colours[i]);
        if (!logout) {
            app->kill(); // SIGKILL: nothing of the program runs any more
            QVERIFY(app->waitForFinished(10000));
        }

        app = std::make_unique<QProcess>();
        app->setProcessChannelMode(QProcess::ForwardedChannels);
        app->start(binary, QStringList());
        QVERIFY(app->waitForStarted());
        const auto stop = qScopeGuard([&app] { stopWindow(*app); });
        QVERIFY2(!waitForScreen(work.path(), colours[1]).isNull(), "the restored tab never showed");
        QTRY_COMPARE_WITH_TIMEOUT(listed(), names, 10000);
        const QList<QImage> after = exported();
        QCOMPARE(after.size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(test::asArgb(after[i]), test::asArgb(before[i]));

        pressIn(app->processId(), QStringLiteral("ctrl+q"));
        QTest::qWait(1000);
        press(QStringLiteral("alt+d")); // "Don't Save": the images were never saved
        QVERIFY(app->waitForFinished(10000));
        QVERIFY(!QFile::exists(session.filePath(QStringLiteral("session.json"))));
    }

    void captureFromOutsideLeavesTheWindowOut()
    {
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || m_bus.address().isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            QSKIP("needs build/lustrelab, dbus-daemon and ImageMagick's import");
        QTemporaryDir work;
        const QColor shown(20, 200, 240);
        const QString shownPath = work.filePath(QStringLiteral("shown.png"));
        QVERIFY(test::solidImage(480, 300, shown).save(shownPath));
        // A capture tool that photographs the whole screen as it is.
        const QString script = work.filePath(QStringLiteral("screencapture"));
        QVERIFY(
            test::writeFile(script, "#!/bin/sh\nfor out; do :; done\nexec import -window root \"$out\"\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"),
                           work.path() + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"), QStringLiteral("screencapture"));

        QProcess window;
        window.setProcessEnvironment(environment);
        window.setProcessChannelMode(QProcess::ForwardedChannels);
        window.start(binary, {shownPath});
        QVERIFY(window.waitForStarted());
        const auto stop = qScopeGuard([&window] {
            window.terminate();
            if (!window.waitForFinished(5000))
                window.kill();
        });
        QVERIFY2(!waitForScreen(work.path(), shown).isNull(), "the window never showed");

        const QString out = work.filePath(QStringLiteral("out.png"));
        QProcess capture;
        capture.setProcessEnvironment(environment);
        capture.setProcessChannelMode(QProcess::ForwardedChannels);
        capture.start(binary,
                      {QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("-o"), out});
        QVERIFY(capture.waitForFinished(30000));
        QCOMPARE(capture.exitCode(), 0);
        const QImage captured = QImage(out).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!captured.isNull());
        QVERIFY2(pixelsNear(captured, shown) < 100, qPrintable(QString::number(pixelsNear(captured, shown))));
        QVERIFY2(!waitForScreen(work.path(), shown).isNull(), "the window did not come back");
    }

    // Copy Text, then Quit: the text is still there for the next paste, as
    // a copied image is.
    void copiedTextOutlivesTheWindow()
    {
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
            QSKIP("needs build/lustrelab, xclip, xdotool and ImageMagick");
        QTemporaryDir work;
        const QString shot = work.filePath(QStringLiteral("text.png"));
        QCOMPARE(
            QProcess::execute(QStringLiteral("convert"),
                              {"-size", "900x200", "xc:white", "-font", "DejaVu-Sans", "-pointsize", "48",
                               "-fill", "black", "-annotate", "+40+120", "Invoice number 4711", shot}),
            0);
        const auto paste = [] {
            QProcess xclip;
            xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", "UTF8_STRING"});
            xclip.waitForFinished(5000);
            return QString::fromUtf8(xclip.readAllStandardOutput());
        };
        QProcess::execute(QStringLiteral("xclip"), {"-selection", "clipboard", "/dev/null"});

        QProcess window;
        window.setProcessChannelMode(QProcess::ForwardedChannels);
        window.start(binary, {shot});
        QVERIFY(window.waitForStarted());
        const auto stop = qScopeGuard([&window] {
            window.kill();
            window.waitForFinished(5000);
        });
        // The window takes the keys once it is there and has the focus.
        const auto keys = [](const QString& combination) {
            return QProcess::execute(
                       QStringLiteral("xdotool"),
                       {"search", "--sync", "--name", "^Lustrelab\\*?$", "windowfocus", "--sync"}) == 0 &&
                   QProcess::execute(QStringLiteral("xdotool"), {"key", combination}) == 0;
        };
        QTest::qWait(1500); // the image is composed and shown
        QVERIFY(keys(QStringLiteral("ctrl+shift+c")));
        QTRY_VERIFY_WITH_TIMEOUT(paste().contains(QStringLiteral("4711")), 30000);
        QVERIFY(keys(QStringLiteral("ctrl+q")));
        QTest::qWait(1000);
        QVERIFY(QProcess::execute(QStringLiteral("xdotool"), {"key", "alt+d"}) == 0); // "Don't Save"
        QVERIFY(window.waitForFinished(10000));
        QVERIFY2(paste().contains(QStringLiteral("Invoice number 4711")), qPrintable(paste()));
    }

    // The holder that keeps a copy after the window or command has gone
    // serves text under the names X11 programs ask for.
    void heldTextPastes_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("UTF8_STRING") << "UTF8_STRING";
        QTest::newRow("text/plain;charset=utf-8") << "text/plain;charset=utf-8";
    }
    void heldTextPastes()
    {
        QFETCH(QString, target);
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("needs build/lustrelab and xclip");
        QTemporaryDir work;
        const QString text = QStringLiteral("Invoice 2026-0042 \u2014 Gr\u00fc\u00dfe\nsecond line");
        const QString file = work.filePath(QStringLiteral("text"));
        QVERIFY(test::writeFile(file, text.toUtf8()));
        QProcess holder;
        holder.start(binary, {QStringLiteral("hold-clipboard"), QStringLiteral("--text"), file});
        QVERIFY(holder.waitForStarted());
        const auto stop = qScopeGuard([&holder] {
            holder.terminate();
            holder.waitForFinished(5000);
        });
        QByteArray pasted;
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(file), 10000); // read and taken
        for (const QDeadlineTimer deadline(10000); !deadline.hasExpired() && pasted.isEmpty();) {
            QProcess paste;
            paste.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", target});
            paste.waitForFinished(5000);
            pasted = paste.readAllStandardOutput();
        }
        QCOMPARE(QString::fromUtf8(pasted), text);
    }

    void hotKeyAfterModelIsGone()
    {
        AppDelegate delegate;
        delegate.setup(m_state.get());
        m_state.reset();
        press(QStringLiteral("ctrl+shift+6"));
        QTest::qWait(300);
        QCOMPARE(delegate.appState(), nullptr);
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QApplication, TestXvfb>(argc, argv, "1280x800x24");
}
#include "tst_xvfb.moc"
