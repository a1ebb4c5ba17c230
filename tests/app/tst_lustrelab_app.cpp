#include "app/lustrelab_app.h"
#include "io/instance_channel.h"
#include "state/app_state.h"
#include "test_fixtures.h"
#include "ui/main_window.h"

#include <QClipboard>
#include <QtTest>

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
            QCOMPARE(tab.sourceImage ? tab.sourceImage->pixelColor(0, 0) : QColor(), QColor(tabColours[i]));
        }
        QTEST(test::mapped(app.state().tabs(), &ScreenshotTab::name), "tabNames");
    }

    // A later start hands its files to the running window and exits: file
    // managers, launchers and key bindings all run `lustrelab FILE`.
    void laterStartOpensTabsInTheRunningWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("newTabColours");
        QTest::newRow("file URL and relative path")
            << QStringList{"URL:lime.png", "red.png"} << QStringList{"lime", "red"};
        QTest::newRow("no file: the window just comes forward") << QStringList{} << QStringList{};
    }
    void laterStartOpensTabsInTheRunningWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, newTabColours);
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
        connect(&channel, &InstanceChannel::openRequested, &app, &LustrelabApp::acceptHandOver);
        app.state().loadImage(test::solidImage(8, 6, Qt::black), false);
        app.window().showMinimized();

        QProcess later;
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
            QCOMPARE(app.state().tabs()[i + 1].sourceImage->pixelColor(0, 0), QColor(newTabColours[i]));
        QVERIFY(!app.window().isMinimized());
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

    // The hot key is taken when the window appears and given back when the
    // application ends, which closing its only window does.
    void closingTheWindowQuitsAndReleasesTheHotKey()
    {
        bool registered = false;
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
