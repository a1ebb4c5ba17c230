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

// What of `tools` (programs on PATH; "lustrelab" is the build's program) is
// missing, as a reason to skip; empty when all are there.
QString missingTools(const QStringList& tools)
{
    QStringList missing;
    for (const QString& tool : tools)
        if (tool == u"lustrelab" ? qEnvironmentVariableIsEmpty("LUSTRELAB_BINARY")
                                 : QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    return missing.isEmpty() ? QString() : QStringLiteral("needs ") + missing.join(QStringLiteral(", "));
}
#define SKIP_WITHOUT(...)                                                                                    \
    if (const QString missing = missingTools({__VA_ARGS__}); !missing.isEmpty())                             \
    QSKIP(qPrintable(missing))

// The environment with a capture tool of `body` first on PATH: a shell
// script whose last argument is the file to write.
QProcessEnvironment withCaptureScript(const QString& folder, const QByteArray& body)
{
    const QString script = folder + QStringLiteral("/screencapture");
    test::writeFile(script, "#!/bin/sh\nfor out; do :; done\n" + body + '\n');
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), folder + u':' + environment.value(QStringLiteral("PATH")));
    return environment;
}

// The real program with `arguments`, this test's home and bus, its output
// passed through; ended when it goes out of scope at the latest.
struct Program
{
    QProcess process;
    explicit Program(const QStringList& arguments,
                     QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(qEnvironmentVariable("LUSTRELAB_BINARY"), arguments);
        process.waitForStarted();
    }
    ~Program()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(1000);
    }
};

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

// Ctrl+Q in the window of `program`, then "Don't Save" to the question now in
// front (its images were never saved); the caller checks that it ended.
void quitWithoutSaving(const QProcess& program)
{
    pressIn(program.processId(), QStringLiteral("ctrl+q"));
    QTest::qWait(1000);
    press(QStringLiteral("alt+d"));
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
        SKIP_WITHOUT("lustrelab", "import", "xdotool");
        QTemporaryDir work;
        const QColor opened(20, 200, 240), captured(250, 120, 10);
        const QString openedPath = work.filePath(QStringLiteral("opened.png"));
        const QString capturedPath = work.filePath(QStringLiteral("captured.png"));
        QVERIFY(test::solidImage(480, 300, opened).save(openedPath));
        QVERIFY(test::solidImage(480, 300, captured).save(capturedPath));
        const Program app(
            {openedPath},
            withCaptureScript(work.path(), "echo \"$@\" >> '" + work.filePath("calls").toUtf8() +
                                               "'\n/bin/cp '" + capturedPath.toUtf8() + "' \"$out\""));

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
        QCOMPARE(app.process.state(), QProcess::Running);
    }

    // With "Style and copy", the hot key pressed while the window is put away
    // styles the capture, copies it for other programs and says so in a
    // notification; the window never appears. (What is styled, saved and
    // copied in each mode: tst_quick_capture.)
    void quickCaptureFromTheHotKey()
    {
        SKIP_WITHOUT("dbus-daemon", "xclip");
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

        // Another program reads the clipboard while this one serves it.
        const QImage copied = QImage::fromData(pasted("image/png"), "PNG");
        QVERIFY(copied.width() > 6 && copied.height() > 4); // the 6 x 4 capture, with its background
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
        SKIP_WITHOUT("lustrelab", "import", "xdotool", "xclip");
        takeClipboardElsewhere(); // from an earlier row
        QTRY_COMPARE_WITH_TIMEOUT(test::clipboardHolders().size(), 0, 10000);

        QTemporaryDir work;
        const QColor windowColour(20, 200, 240), otherColour(250, 120, 10);
        const QString image = work.filePath(QStringLiteral("one.png"));
        QVERIFY(test::solidImage(480, 300, windowColour).save(image));
        Program app({image});
        QVERIFY2(!waitForScreen(work.path(), windowColour).isNull(), "the window never showed");
        pressIn(app.process.processId(), QStringLiteral("ctrl+c"));
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
        quitWithoutSaving(app.process);
        QVERIFY(app.process.waitForFinished(10000));
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
        SKIP_WITHOUT("lustrelab", "import", "xdotool");
        QTemporaryDir work;
        const QColor colours[] = {QColor(200, 30, 60), QColor(30, 90, 220)};
        QStringList images;
        for (const QColor& colour : colours) {
            images.append(work.filePath(colour.name().mid(1) + QStringLiteral(".png")));
            QVERIFY(test::solidImage(480, 300, colour).save(images.last()));
        }
        const QDir session(SessionStore::defaultFolder());
        // The session's tabs as its index lists them, by name.
        const auto listed = [&session] {
            QStringList names;
            const QJsonDocument index =
                QJsonDocument::fromJson(test::readFile(session.filePath(QStringLiteral("session.json"))));
            for (const QJsonValue& tab : index["tabs"].toArray())
                names.append(tab["name"].toString());
            return names;
        };
        const QStringList names{QFileInfo(images[0]).fileName(), QFileInfo(images[1]).fileName()};

        auto app = std::make_unique<Program>(images);
        if (!logout)
            QTRY_COMPARE_WITH_TIMEOUT(listed(), names, 30000);
        QVERIFY2(!waitForScreen(work.path(), colours[1]).isNull(), "the window never showed");
        if (logout) { // the program writes its tabs and ends by itself
            app->process.terminate();
            QVERIFY(app->process.waitForFinished(10000));
            QCOMPARE(app->process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(listed(), names);
        }
        // What each tab exports, from the session's own record of it.
        const auto exported = [&session] {
            QList<QImage> images;
            for (const ScreenshotTab& tab : SessionStore::read(session.path(), ProjectFiles()).tabs)
                images.append(ImageProcessor().process(tab.document.screenshot, tab.document.settings,
                                                       tab.document.annotations));
            return images;
        };
        const QList<QImage> before = exported();
        QCOMPARE(before.size(), 2);
        for (int i = 0; i < 2; ++i) // the default styling around each screenshot
            QCOMPARE(before[i].pixelColor(before[i].width() / 2, before[i].height() / 2), colours[i]);
        if (!logout) {
            app->process.kill(); // SIGKILL: nothing of the program runs any more
            QVERIFY(app->process.waitForFinished(10000));
        }

        app = std::make_unique<Program>(QStringList());
        QVERIFY2(!waitForScreen(work.path(), colours[1]).isNull(), "the restored tab never showed");
        QTRY_COMPARE_WITH_TIMEOUT(listed(), names, 10000);
        const QList<QImage> after = exported();
        QCOMPARE(after.size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(test::asArgb(after[i]), test::asArgb(before[i]));

        quitWithoutSaving(app->process);
        QVERIFY(app->process.waitForFinished(10000));
        QVERIFY(!QFile::exists(session.filePath(QStringLiteral("session.json"))));
    }

    // A capture command started outside the window (a key binding, a desktop
    // action) while the window shows: the picture is of the desktop, not of
    // Lustrelab, which comes back afterwards.
    void captureFromOutsideLeavesTheWindowOut()
    {
        SKIP_WITHOUT("lustrelab", "dbus-daemon", "import");
        QTemporaryDir work;
        const QColor shown(20, 200, 240);
        const QString shownPath = work.filePath(QStringLiteral("shown.png"));
        QVERIFY(test::solidImage(480, 300, shown).save(shownPath));
        // A capture tool that photographs the whole screen as it is.
        QProcessEnvironment environment = withCaptureScript(work.path(), "exec import -window root \"$out\"");
        environment.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"), QStringLiteral("screencapture"));
        const Program window({shownPath}, environment);
        QVERIFY2(!waitForScreen(work.path(), shown).isNull(), "the window never showed");

        const QString out = work.filePath(QStringLiteral("out.png"));
        Program capture({QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("-o"), out},
                        environment);
        QVERIFY(capture.process.waitForFinished(30000));
        QCOMPARE(capture.process.exitCode(), 0);
        const QImage captured = QImage(out).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!captured.isNull());
        QVERIFY2(pixelsNear(captured, shown) < 100, qPrintable(QString::number(pixelsNear(captured, shown))));
        QVERIFY2(!waitForScreen(work.path(), shown).isNull(), "the window did not come back");
    }

    // Copy Text, then Quit: the text is still there for the next paste, as
    // a copied image is.
    void copiedTextOutlivesTheWindow()
    {
        SKIP_WITHOUT("lustrelab", "xclip", "xdotool", "convert");
        QTemporaryDir work;
        const QString shot = work.filePath(QStringLiteral("text.png"));
        QCOMPARE(
            QProcess::execute(QStringLiteral("convert"),
                              {"-size", "900x200", "xc:white", "-font", "DejaVu-Sans", "-pointsize", "48",
                               "-fill", "black", "-annotate", "+40+120", "Invoice number 4711", shot}),
            0);
        QProcess::execute(QStringLiteral("xclip"), {"-selection", "clipboard", "/dev/null"});

        Program window({shot});
        QTest::qWait(1500); // the image is composed and shown
        pressIn(window.process.processId(), QStringLiteral("ctrl+shift+c"));
        QTRY_VERIFY_WITH_TIMEOUT(pasted("UTF8_STRING").contains("4711"), 30000);
        quitWithoutSaving(window.process);
        QVERIFY(window.process.waitForFinished(10000));
        QVERIFY2(pasted("UTF8_STRING").contains("Invoice number 4711"), pasted("UTF8_STRING").constData());
    }

    // The holder that keeps a copy after the window or command has gone
    // serves text under the names X11 programs ask for.
    void heldTextPastes_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("UTF8_STRING") << QByteArray("UTF8_STRING");
        QTest::newRow("text/plain;charset=utf-8") << QByteArray("text/plain;charset=utf-8");
    }
    void heldTextPastes()
    {
        QFETCH(QByteArray, target);
        SKIP_WITHOUT("lustrelab", "xclip");
        QTemporaryDir work;
        const QString text = QStringLiteral("Invoice 2026-0042 \u2014 Gr\u00fc\u00dfe\nsecond line");
        const QString file = work.filePath(QStringLiteral("text"));
        QVERIFY(test::writeFile(file, text.toUtf8()));
        const Program holder({QStringLiteral("hold-clipboard"), QStringLiteral("--text"), file});
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(file), 10000); // read and taken
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(pasted(target.constData())), text, 10000);
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
