#include "app/lustrelab_app.h"
#include "io/instance_channel.h"
#include "state/app_state.h"
#include "state/preferences_store.h"
#include "state/session_store.h"
#include "test_fixtures.h"
#include "ui/main_window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QSettings>
#include <QtTest>
#include <csignal>

using namespace lustrelab;

namespace {

struct FakeShortcut : GlobalShortcut
{
    explicit FakeShortcut(bool& registered) : registered(registered) {}
    bool registerShortcut() override { return registered = true; }
    void unregisterShortcut() override { registered = false; }
    bool isRegistered() const override { return registered; }
    bool& registered;
};

// A stand-in capture tool first on PATH: writes a `colour` screenshot to the
// last argument, as the real ones do.
QProcessEnvironment withCaptureTool(const QString& folder, const QColor& colour)
{
    const QString shot = folder + QStringLiteral("/shot.png");
    test::solidImage(40, 30, colour).save(shot);
    const QString tool = folder + QStringLiteral("/screencapture");
    test::writeFile(tool, "#!/bin/sh\nfor out; do :; done\ncp '" + shot.toUtf8() + "' \"$out\"\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), folder + u':' + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"), QStringLiteral("screencapture"));
    return environment;
}

int runToEnd(QProcess& process)
{
    // The window it talks to is this process: the loop must run meanwhile.
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, 15000))
        process.kill();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestLustrelabApp : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;

    // Image files named after their colour; "broken" holds no image.
    QString makeFile(const QString& name)
    {
        const QString path = m_home.filePath(name + QStringLiteral(".png"));
        if (name == QLatin1String("broken"))
            test::writeFile(path, "not a picture");
        else if (name != QLatin1String("missing"))
            test::solidImage(8, 6, QColor(name)).save(path);
        return path;
    }

    test::PrivateSessionBus m_bus; // for the hand-over between starts

  private slots:
    void openFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("tabColours");
        QTest::addColumn<int>("errorLines");
        QTest::addColumn<QStringList>("tabNames");
        // The first file fills the start tab, the others open tabs of their
        // own; each tab is named after its file.
        QTest::newRow("in order") << QStringList{"red", "blue", "lime"} << QStringList{"red", "blue", "lime"}
                                  << 0 << QStringList{"red.png", "blue.png", "lime.png"};
        QTest::newRow("undecodable skipped")
            << QStringList{"broken", "blue"} << QStringList{"blue"} << 1 << QStringList{"blue.png"};
        QTest::newRow("missing and broken")
            << QStringList{"missing", "broken"} << QStringList{QString()} << 2 << QStringList{"New Tab"};
    }
    void openFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, tabColours);
        // Whatever the clipboard holds must not take the place of a file.
        QGuiApplication::clipboard()->setImage(test::solidImage(4, 4, Qt::yellow));

        LustrelabApp app(m_home.filePath(QStringLiteral("templates")), [] { return nullptr; });
        const QStringList paths = test::mapped(files, [this](const QString& file) { return makeFile(file); });
        test::StreamCapture errors(stderr);
        app.openFiles(paths);
        app.window().show();
        QTRY_VERIFY(!app.isOpeningFiles());
        QTest::qWait(20); // a paste would be queued behind the first paint
        QTEST(int(errors.text().count("lustrelab: ignored")), "errorLines");
        QCOMPARE(app.state().tabs().size(), tabColours.size());
        for (int i = 0; i < tabColours.size(); ++i) {
            const ScreenshotTab& tab = app.state().tabs()[i];
            QCOMPARE(tab.hasImage() ? tab.document.screenshot.pixelColor(0, 0) : QColor(),
                     QColor(tabColours[i]));
        }
        QTEST(test::mapped(app.state().tabs(), &ScreenshotTab::name), "tabNames");
    }

    // A later start hands its files to the running window and exits: file
    // managers, launchers and key bindings all run `lustrelab FILE`.
    void laterStartOpensTabsInTheRunningWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("newTabColours");
        QTest::addColumn<QString>("token");     // XDG_ACTIVATION_TOKEN of the later start
        QTest::addColumn<QString>("startupId"); // DESKTOP_STARTUP_ID of the later start
        QTest::newRow("file URL and relative path")
            << QStringList{"URL:lime.png", "red.png"} << QStringList{"lime", "red"} << QString() << QString();
        QTest::newRow("no file: the window just comes forward")
            << QStringList{} << QStringList{} << QString() << QString();
        QTest::newRow("Wayland launcher's token")
            << QStringList{"red.png"} << QStringList{"red"} << "fake-token-7f3a" << QString();
        QTest::newRow("X11 startup id, no file")
            << QStringList{} << QStringList{} << QString() << "launcher-42_TIME1234";
    }
    void laterStartOpensTabsInTheRunningWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, newTabColours);
        QFETCH(QString, token);
        QFETCH(QString, startupId);
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || m_bus.address().isEmpty())
            QSKIP("needs the build tree and dbus-daemon");
        for (const char* colour : {"lime", "red"})
            makeFile(QLatin1String(colour));
        for (QString& argument : arguments)
            if (argument.startsWith(QLatin1String("URL:")))
                argument = QUrl::fromLocalFile(m_home.filePath(argument.mid(4))).toString();

        LustrelabApp app(m_home.filePath(QStringLiteral("templates")), [] { return nullptr; });
        InstanceChannel channel;
        QCOMPARE(channel.claim(), InstanceChannel::Claim::claimed);
        app.listenTo(channel);
        QList<LaunchActivation> activations;
        connect(&channel, &InstanceChannel::openRequested, this,
                [&activations](const QStringList&, const LaunchActivation& given) { activations << given; });
        app.state().loadImage(test::solidImage(8, 6, Qt::black), false);
        app.window().showMinimized();

        QProcess later;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        environment.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
        if (!token.isEmpty())
            environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), token);
        if (!startupId.isEmpty())
            environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), startupId);
        later.setProcessEnvironment(environment);
        later.setWorkingDirectory(m_home.path());
        later.setProcessChannelMode(QProcess::ForwardedChannels);
        later.start(binary, arguments);
        // It waits for the answer of this process, so the loop must run meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(later.state(), QProcess::NotRunning, 10000);
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);

        QTRY_VERIFY(!app.isOpeningFiles());
        QCOMPARE(app.state().tabs().size(), 1 + newTabColours.size());
        for (int i = 0; i < newTabColours.size(); ++i)
            QCOMPARE(app.state().tabs()[i + 1].document.screenshot.pixelColor(0, 0),
                     QColor(newTabColours[i]));
        QVERIFY(!app.window().isMinimized());
        // The window, not the start that exits, gets the launcher's permission to take the focus.
        QCOMPARE(activations, (QList<LaunchActivation>{{token, startupId}}));
    }

    // What a launcher sends once the desktop entry says the application is
    // D-Bus activatable: the window opens, comes forward or captures, and
    // receives the token as sent.
    void desktopApplicationInterface_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments"); // before the platform data
        QTest::addColumn<int>("newTabs");
        QTest::addColumn<int>("captures");
        QTest::addColumn<QString>("token");
        QTest::newRow("Activate") << "Activate" << QVariantList{} << 0 << 0 << "fake-token-1";
        QTest::newRow("Open file URIs")
            << "Open" << QVariantList{QStringList{"URI:lime.png", "URI:red.png"}} << 2 << 0 << "fake-token-2";
        QTest::newRow("Open, no token") << "Open" << QVariantList{QStringList{"URI:red.png"}} << 1 << 0 << "";
        QTest::newRow("Capture Screen action")
            << "ActivateAction" << QVariantList{"capture-screen", QVariantList{}} << 1 << 1 << "fake-token-3";
        QTest::newRow("an unknown action does nothing")
            << "ActivateAction" << QVariantList{"format-disk", QVariantList{}} << 0 << 0 << "";
    }
    void desktopApplicationInterface()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(int, newTabs);
        QFETCH(int, captures);
        QFETCH(QString, token);
        if (m_bus.address().isEmpty())
            QSKIP("needs dbus-daemon");
        for (const char* colour : {"lime", "red"})
            makeFile(QLatin1String(colour));
        QTemporaryDir tools;
        const QProcessEnvironment environment = withCaptureTool(tools.path(), QColor(10, 20, 30));
        qputenv("PATH", environment.value(QStringLiteral("PATH")).toUtf8());
        qputenv("LUSTRELAB_CAPTURE_BACKEND", "screencapture");

        LustrelabApp app(m_home.filePath(QStringLiteral("templates")), [] { return nullptr; });
        InstanceChannel channel;
        QCOMPARE(channel.claim(), InstanceChannel::Claim::claimed);
        app.listenTo(channel);
        QList<LaunchActivation> activations;
        connect(&channel, &InstanceChannel::openRequested, this,
                [&activations](const QStringList&, const LaunchActivation& given) { activations << given; });
        connect(&channel, &InstanceChannel::actionRequested, this,
                [&activations](const QString&, const LaunchActivation& given) { activations << given; });
        app.state().loadImage(test::solidImage(8, 6, Qt::black), false);

        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.lustrelab.Lustrelab"), QStringLiteral("/org/lustrelab/Lustrelab"),
            QStringLiteral("org.freedesktop.Application"), method);
        for (QVariant argument : arguments) {
            if (argument.typeId() == QMetaType::QStringList) {
                QStringList uris = argument.toStringList();
                for (QString& uri : uris)
                    uri = QUrl::fromLocalFile(m_home.filePath(uri.mid(4))).toString();
                argument = uris;
            }
            call << argument;
        }
        QVariantMap platformData;
        if (!token.isEmpty())
            platformData.insert(QStringLiteral("activation-token"), token);
        call << platformData;
        // Another connection, as a launcher is another process.
        QDBusConnection launcher = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("launcher"));
        const QDBusPendingCall pending = launcher.asyncCall(call);
        QTRY_VERIFY(pending.isFinished());
        QVERIFY2(!pending.isError(), qPrintable(pending.error().message()));
        QDBusConnection::disconnectFromBus(QStringLiteral("launcher"));

        QTRY_COMPARE(app.state().tabs().size(), 1 + newTabs);
        QTRY_VERIFY(!app.isOpeningFiles() && !app.state().screenCaptureService().isCapturing());
        QCOMPARE(app.state().tabs().size(), 1 + newTabs);
        QCOMPARE(activations, (QList<LaunchActivation>{{token, {}}}));
        if (method != u"ActivateAction")
            QVERIFY(app.window().isVisible());
        if (captures)
            QCOMPARE(app.state().tabs().back().document.screenshot.pixelColor(0, 0), QColor(10, 20, 30));
    }

    // `capture --open` from a key binding or a desktop action: with a window
    // running, the window leaves the screen for the capture and gets it as
    // one new tab; with none, a window is started for it.
    void captureOpenHandsToTheWindow_data()
    {
        QTest::addColumn<bool>("windowRuns");
        QTest::newRow("a window runs") << true;
        QTest::newRow("no window runs") << false;
    }
    void captureOpenHandsToTheWindow()
    {
        QFETCH(bool, windowRuns);
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        if (binary.isEmpty() || m_bus.address().isEmpty())
            QSKIP("needs the build tree and dbus-daemon");
        QTemporaryDir tools;
        const QColor shot(200, 40, 120);
        QProcessEnvironment environment = withCaptureTool(tools.path(), shot);

        std::unique_ptr<LustrelabApp> app;
        InstanceChannel channel;
        int hides = 0, shows = 0;
        bool hiddenDuringCapture = false;
        if (windowRuns) {
            app = std::make_unique<LustrelabApp>(m_home.filePath(QStringLiteral("templates")),
                                                 [] { return nullptr; });
            QCOMPARE(channel.claim(), InstanceChannel::Claim::claimed);
            app->listenTo(channel);
            connect(&channel, &InstanceChannel::hideRequested, this, [&] {
                ++hides;
                hiddenDuringCapture = !app->window().isVisible();
            });
            connect(&channel, &InstanceChannel::showRequested, this, [&] { ++shows; });
            app->state().loadImage(test::solidImage(8, 6, Qt::black), false);
            app->window().show();
            QVERIFY(QTest::qWaitForWindowExposed(&app->window()));
        }

        QProcess command;
        command.setProcessEnvironment(environment);
        command.setProcessChannelMode(QProcess::ForwardedChannels);
        command.start(binary,
                      {QStringLiteral("capture"), QStringLiteral("screen"), QStringLiteral("--open")});
        QCOMPARE(runToEnd(command), 0);

        if (windowRuns) {
            QTRY_VERIFY(!app->isOpeningFiles());
            QTest::qWait(200); // a second hand-over would be on its way
            QCOMPARE(app->state().tabs().size(), 2);
            QCOMPARE(app->state().tabs()[1].document.screenshot.pixelColor(0, 0), shot);
            QCOMPARE(hides, 1);
            QVERIFY(hiddenDuringCapture);
            QCOMPARE(shows, 1);
            QVERIFY(app->window().isVisible());
            return;
        }
        // The window started for it takes the name and holds the capture.
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        const QString name = QStringLiteral("org.lustrelab.Lustrelab");
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered(name), 15000);
        const uint pid = bus->servicePid(name);
        QVERIFY(pid > 0);
        const auto stop = qScopeGuard([pid] { ::kill(pid_t(pid), SIGTERM); });
        QFile arguments(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        const QList<QByteArray> words = arguments.readAll().split('\0');
        QVERIFY2(words.size() >= 2 && QImage(QString::fromLocal8Bit(words[1])).pixelColor(0, 0) == shot,
                 words.join(' ').constData());
    }

    // What a desktop needs to offer "Open with Lustrelab" and list the
    // application lands where desktops look for it.
    void installsWhatDesktopsNeed()
    {
        const QString binary = qEnvironmentVariable("LUSTRELAB_BINARY");
        const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
        if (binary.isEmpty() || cmake.isEmpty())
            QSKIP("needs the build tree and cmake");
        QTemporaryDir prefix;
        const auto installed = [&prefix](const char* file) {
            return prefix.filePath(QString::fromLatin1(file));
        };
        // Its output goes to the test log, so a failure shows its reason.
        QCOMPARE(QProcess::execute(cmake, {QStringLiteral("--install"), QFileInfo(binary).absolutePath(),
                                           QStringLiteral("--prefix"), prefix.path()}),
                 0);
        // The desktop entry, icon and metadata are read below.
        for (const char* file : {"bin/lustrelab", "share/licenses/lustrelab/LICENSE"})
            QVERIFY2(QFileInfo::exists(installed(file)), file);

        QFile desktopFile(installed("share/applications/org.lustrelab.Lustrelab.desktop"));
        QVERIFY(desktopFile.open(QIODevice::ReadOnly | QIODevice::Text));
        // Keys by group: "Exec" of [Desktop Entry] and "capture-region/Exec" of an action.
        QHash<QString, QString> entry;
        QString group;
        for (const QByteArray& line : desktopFile.readAll().split('\n')) {
            if (line.startsWith("[Desktop Action "))
                group = QString::fromUtf8(line.mid(16).chopped(1)) + QLatin1Char('/');
            else if (const qsizetype equals = line.indexOf('='); equals > 0)
                entry.insert(group + QString::fromUtf8(line.left(equals)),
                             QString::fromUtf8(line.mid(equals + 1)));
        }
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("lustrelab %F"));
        for (const char* mode : {"region", "window", "screen"}) {
            const QString action = QStringLiteral("capture-%1").arg(QLatin1String(mode));
            QVERIFY2(entry.value(QStringLiteral("Actions")).split(QLatin1Char(';')).contains(action), mode);
            QCOMPARE(entry.value(action + QStringLiteral("/Exec")),
                     QStringLiteral("lustrelab capture %1 --open").arg(QLatin1String(mode)));
        }
        QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("org.lustrelab.Lustrelab"));
        // Launchers then call the window over the bus, which starts it when none runs: the
        // service's name is the desktop file's id, and it starts the installed binary.
        QCOMPARE(entry.value(QStringLiteral("DBusActivatable")), QStringLiteral("true"));
        QSettings service(installed("share/dbus-1/services/org.lustrelab.Lustrelab.service"),
                          QSettings::IniFormat);
        QCOMPARE(service.value(QStringLiteral("D-BUS Service/Name")).toString(),
                 QStringLiteral("org.lustrelab.Lustrelab"));
        QCOMPARE(service.value(QStringLiteral("D-BUS Service/Exec")).toString(), installed("bin/lustrelab"));
        const QStringList types = entry.value(QStringLiteral("MimeType")).split(QLatin1Char(';'));
        for (const char* type : {"image/png", "image/jpeg", "image/webp", "image/bmp"})
            QVERIFY2(types.contains(QLatin1String(type)), type);
        const QIcon icon(installed("share/icons/hicolor/scalable/apps/org.lustrelab.Lustrelab.svg"));
        QVERIFY(!icon.pixmap(64, 64).isNull());

        const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (appstream.isEmpty())
            QSKIP("appstreamcli is not installed");
        const QString metainfo = installed("share/metainfo/org.lustrelab.Lustrelab.metainfo.xml");
        QCOMPARE(
            QProcess::execute(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo}),
            0);
    }

    // "Open in Lustrelab" on a quick capture's notification: the capture opens
    // in a tab and the window comes forward, from minimised or put away; a
    // capture that only failed to style waits in a tab without coming forward.
    void quickCaptureOpenBringsTheWindowForward_data()
    {
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("minimised");
        QTest::newRow("asked, window minimised") << true << true;
        QTest::newRow("asked, window put away") << true << false;
        QTest::newRow("not asked") << false << true;
    }
    void quickCaptureOpenBringsTheWindowForward()
    {
        QFETCH(bool, asked);
        QFETCH(bool, minimised);
        LustrelabApp app(m_home.filePath(QStringLiteral("templates")), [] { return nullptr; });
        app.state().loadImage(test::solidImage(8, 6, Qt::black), false);
        if (minimised)
            app.window().showMinimized();
        emit app.state().quickCapture().openRequested(test::solidImage(8, 6, Qt::magenta), asked);
        QTRY_COMPARE(app.state().tabs().size(), 2);
        QCOMPARE(app.state().tabs()[1].document.screenshot.pixelColor(0, 0), QColor(Qt::magenta));
        QCOMPARE(app.window().isVisible() && !app.window().isMinimized(), asked);
    }

    // SIGTERM, as a logout sends it, ends the program without the save
    // question and keeps its tabs; the next start leaves them out when the
    // user unticked "Restore tabs at start" in the preferences. (That they
    // come back otherwise, from the real program: tst_xvfb.)
    void terminationKeepsTabsUnlessRestoreIsOff()
    {
        const QString templates = m_home.filePath(QStringLiteral("templates"));
        QGuiApplication::clipboard()->setText(QStringLiteral("no image"));
        QDir(SessionStore::defaultFolder()).removeRecursively();
        {
            LustrelabApp app(templates, [] { return nullptr; });
            app.openFiles({makeFile(QStringLiteral("red")), makeFile(QStringLiteral("blue"))});
            app.window().show();
            QTRY_COMPARE(app.state().tabs().size(), 2);
            app.window().showPreferences();
            auto* restoreTabs = app.window().findChild<QCheckBox*>(QStringLiteral("restoreTabs"));
            QVERIFY(restoreTabs && restoreTabs->isChecked());
            QTest::mouseClick(restoreTabs, Qt::LeftButton, {}, QPoint(8, restoreTabs->height() / 2));
            QVERIFY(!restoreTabs->isChecked());
            QTimer::singleShot(0, [] { ::raise(SIGTERM); });
            QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); }); // it never ended
            QCOMPARE(QCoreApplication::exec(), 0);
            QCOMPARE(app.state().tabs().size(), 2); // nothing was closed on the way out
            QVERIFY(
                QFile::exists(QDir(SessionStore::defaultFolder()).filePath(QStringLiteral("session.json"))));
        }
        LustrelabApp later(templates, [] { return nullptr; });
        QTest::qWait(300); // a restore would read on a worker
        QCOMPARE(later.state().tabs().size(), 1);
        PreferencesStore().setRestoreTabsAtStart(true); // the default, for the other tests
    }

    // The hot key is taken when the window appears and given back when the
    // application ends, which closing its only window does.
    void closingTheWindowQuitsAndReleasesTheHotKey()
    {
        bool registered = false;
        // No image for the launch paste: a tab holding one would be asked about first.
        QGuiApplication::clipboard()->setText(QStringLiteral("no image"));
        LustrelabApp app(m_home.filePath(QStringLiteral("templates")),
                         [&registered] { return std::make_unique<FakeShortcut>(registered); });
        app.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.window()));
        QVERIFY(registered);
        QCOMPARE(app.delegate().appState(), &app.state());
        QTimer::singleShot(0, &app.window(), [&app] { app.window().close(); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); }); // it never quit
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!registered);
    }
};

QTEST_MAIN(TestLustrelabApp)
#include "tst_lustrelab_app.moc"
