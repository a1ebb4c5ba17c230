// Choosing one monitor for a screen capture: how `--monitor` words read,
// which monitor a choice lands on, what sway says about its outputs, and the
// grim backend taking that output at its own scale.
#include "io/grim_capture_backend.h"
#include "io/monitor_choice.h"
#include "io/screen_capture_service.h"
#include "io/sway_outputs.h"
#include "io_fixtures.h"

#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

Q_DECLARE_METATYPE(lustrelab::MonitorChoice)
Q_DECLARE_METATYPE(std::optional<lustrelab::MonitorChoice>)
Q_DECLARE_METATYPE(std::optional<QPoint>)

namespace {

using Kind = MonitorChoice::Kind;

ScreenMonitor monitor(const char* name, QRect geometry, double ratio = 1)
{
    return {QString::fromLatin1(name), geometry, ratio};
}

// Three monitors listed out of reading order, as servers list them: a wide
// one on the right, a smaller one at the left, and one above the two,
// reaching over both.
const QList<ScreenMonitor> desk{monitor("DP-1", QRect(1920, 0, 2560, 1440)),
                                monitor("HDMI-1", QRect(0, 360, 1920, 1080)),
                                monitor("TOP", QRect(960, -1080, 1920, 1080))};

// What `swaymsg -t get_outputs -r` says, cut down to the fields read, with
// an output that is switched off between two that are on.
const QByteArray swayOutputs = R"([
  {"name": "HEADLESS-1", "active": true, "focused": false, "scale": 1.0,
   "rect": {"x": 0, "y": 0, "width": 800, "height": 600}},
  {"name": "HDMI-A-2", "active": false, "focused": false, "scale": 1.0,
   "rect": {"x": 0, "y": 0, "width": 0, "height": 0}},
  {"name": "HEADLESS-2", "active": true, "focused": true, "scale": 2.0,
   "rect": {"x": 800, "y": 0, "width": 400, "height": 300}}
])";

// A backend that takes only the whole desktop, as the portal does.
class WholeDesktopOnly : public CaptureBackend
{
  public:
    QString name() const override { return QStringLiteral("whole"); }
    void capture(CaptureMode, const QString&, Done done) override
    {
        ++captures;
        done({});
    }
    int captures = 0;
};

} // namespace

class TestMonitors : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedHome> m_env;

  private slots:
    void initTestCase() { m_env = std::make_unique<IsolatedHome>(); }

    // The choices `lustrelab capture --monitor` reads and picks on a real X
    // server (a number, a name in another case, the pointer's monitor, one
    // that is not there): tst_capture_monitors. Here what it cannot show.
    void parse_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<std::optional<MonitorChoice>>("expected");
        const std::optional<MonitorChoice> none;
        QTest::newRow("all, in capitals") << "ALL" << std::optional(MonitorChoice::all());
        QTest::newRow("a number") << "2" << std::optional(MonitorChoice{Kind::numbered, 2, {}});
        QTest::newRow("an output's name") << "HDMI-1" << std::optional(MonitorChoice{Kind::named, 0, "HDMI-1"});
        QTest::newRow("a negative number") << "-1" << none;
        QTest::newRow("empty") << " " << none;
    }
    void parse()
    {
        QFETCH(QString, word);
        QTEST(MonitorChoice::parse(word), "expected");
    }

    void pick_data()
    {
        QTest::addColumn<MonitorChoice>("choice");
        QTest::addColumn<std::optional<QPoint>>("pointer");
        QTest::addColumn<int>("focused");
        QTest::addColumn<QString>("expected"); // the monitor's name, or the error's text
        const std::optional<QPoint> noPointer;
        // Reading order: TOP (the upper row), then HDMI-1, then DP-1.
        QTest::newRow("1 is the upper row") << MonitorChoice{Kind::numbered, 1, {}} << noPointer << -1 << "TOP";
        QTest::newRow("2 is the left of the lower row")
            << MonitorChoice{Kind::numbered, 2, {}} << noPointer << -1 << "HDMI-1";
        QTest::newRow("3 is right of it, though higher up")
            << MonitorChoice{Kind::numbered, 3, {}} << noPointer << -1 << "DP-1";
        QTest::newRow("an unknown name")
            << MonitorChoice{Kind::named, 0, "VGA-1"} << noPointer << -1
            << "there is no monitor named \"VGA-1\"; this desktop has 3 monitors (1: TOP 1920x1080+960-1080, "
               "2: HDMI-1 1920x1080+0+360, 3: DP-1 2560x1440+1920+0)";
        // Where two monitors meet, a tie would go to the one listed first.
        QTest::newRow("current: the last pixel of a monitor is still on it")
            << MonitorChoice::current() << std::optional(QPoint(1919, 1439)) << -1 << "HDMI-1";
        QTest::newRow("current without a pointer: the focused one")
            << MonitorChoice::current() << noPointer << 2 << "TOP";
        QTest::newRow("current with neither")
            << MonitorChoice::current() << noPointer << -1
            << "the desktop does not say which monitor is current; choose one by number or name "
               "(1: TOP 1920x1080+960-1080, 2: HDMI-1 1920x1080+0+360, 3: DP-1 2560x1440+1920+0)";
    }
    void pick()
    {
        QFETCH(MonitorChoice, choice);
        QFETCH(std::optional<QPoint>, pointer);
        QFETCH(int, focused);
        const MonitorPick picked = pickMonitor(desk, choice, pointer, focused);
        QVERIFY(picked.monitor.has_value() != !picked.error.isEmpty());
        QTEST(picked.monitor ? picked.monitor->name : picked.error, "expected");
    }

    void oneMonitorIsCountedInTheSingular()
    {
        const MonitorPick picked =
            pickMonitor({monitor("screen", QRect(0, 0, 640, 480))}, MonitorChoice{Kind::numbered, 2, {}}, {});
        QCOMPARE(picked.error, "there is no monitor 2; this desktop has 1 monitor (1: screen 640x480+0+0)");
    }

    void swayOutputsRead()
    {
        const std::optional<SwayOutputs> outputs = parseSwayOutputs(swayOutputs);
        QVERIFY(outputs);
        const SwayOutputs expected{{monitor("HEADLESS-1", QRect(0, 0, 800, 600), 1),
                                    monitor("HEADLESS-2", QRect(800, 0, 400, 300), 2)},
                                   1};
        QCOMPARE(*outputs, expected);
        QVERIFY(!parseSwayOutputs("swaymsg: unable to connect"));
        QVERIFY(!parseSwayOutputs(R"({"name": "HEADLESS-1"})"));
    }

    // Through the service as the command line uses it: sway is asked, grim
    // takes the output by name, and the image carries that output's scale.
    void grimTakesTheOutput_data()
    {
        QTest::addColumn<MonitorChoice>("choice");
        QTest::addColumn<QStringList>("grimArguments"); // empty: grim never runs
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("failure");
        QTest::newRow("current: sway's focused output, at its scale 2")
            << MonitorChoice::current() << QStringList{"-o", "HEADLESS-2", "PATH"} << 2.0 << "";
        QTest::newRow("the first, at scale 1")
            << MonitorChoice{Kind::numbered, 1, {}} << QStringList{"-o", "HEADLESS-1", "PATH"} << 1.0 << "";
        QTest::newRow("all: the whole desktop at the greatest scale")
            << MonitorChoice::all() << QStringList{"PATH"} << 2.0 << "";
        QTest::newRow("a third that is not there")
            << MonitorChoice{Kind::numbered, 3, {}} << QStringList{} << 0.0
            << "there is no monitor 3; this desktop has 2 monitors (1: HEADLESS-1 800x600+0+0, "
               "2: HEADLESS-2 400x300+800+0)";
    }
    void grimTakesTheOutput()
    {
        QFETCH(MonitorChoice, choice);
        QFETCH(QStringList, grimArguments);
        QFETCH(double, ratio);
        QFETCH(QString, failure);
        FakeTools tools;
        tools.addRecordingTool(QStringLiteral("grim"));
        tools.addScript(QStringLiteral("swaymsg"), "#!/bin/sh\n/bin/cat <<'EOF'\n" + swayOutputs + "\nEOF\n");
        ScreenCaptureService service;
        service.setPrintsFailures(false);
        service.setBackend(std::make_unique<GrimCaptureBackend>(tools.filePath(QStringLiteral("grim")),
                                                                tools.filePath(QStringLiteral("slurp"))));
        QString failed;
        connect(&service, &ScreenCaptureService::captureFailed, this,
                [&](CaptureMode, const QString& reason) { failed = reason; });
        std::optional<QImage> result;
        service.captureMonitor(choice).then(this, [&](const QImage& image) { result = image; });
        QTRY_VERIFY(result.has_value());
        QCOMPARE(failed, failure);
        QList<QStringList> calls = tools.invocations();
        if (grimArguments.isEmpty()) {
            QVERIFY(calls.isEmpty());
            QVERIFY(result->isNull());
            return;
        }
        QCOMPARE(calls.size(), 1);
        calls[0].last() = QStringLiteral("PATH");
        QCOMPARE(calls[0], grimArguments);
        QCOMPARE(result->size(), QSize(24, 16));
        QCOMPARE(result->devicePixelRatio(), ratio);
    }

    // Where the backend chosen takes only the whole desktop (the portal comes
    // before grim on a wlroots desktop), one monitor is taken by the
    // session's backend that can pick it, grim here.
    void oneMonitorDespiteAWholeDesktopBackend()
    {
        FakeTools tools;
        tools.addRecordingTool(QStringLiteral("grim"));
        tools.addScript(QStringLiteral("swaymsg"), "#!/bin/sh\n/bin/cat <<'EOF'\n" + swayOutputs + "\nEOF\n");
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        const auto unset = qScopeGuard([] { qunsetenv("WAYLAND_DISPLAY"); });
        ScreenCaptureService service;
        service.setPrintsFailures(false);
        auto whole = std::make_unique<WholeDesktopOnly>();
        WholeDesktopOnly* chosen = whole.get();
        service.setBackend(std::move(whole));
        std::optional<QImage> result;
        service.captureMonitor(MonitorChoice{Kind::numbered, 2, {}}).then(this, [&](const QImage& i) { result = i; });
        QTRY_VERIFY(result.has_value());
        QCOMPARE(result->devicePixelRatio(), 2.0);
        QCOMPARE(tools.invocations().value(0).mid(0, 2), (QStringList{"-o", "HEADLESS-2"}));
        QCOMPARE(chosen->captures, 0);
    }

    // A backend that only takes the whole desktop takes it for "all", and
    // refuses one monitor with a line, rather than handing over all of them.
    void wholeDesktopBackends()
    {
        FakeTools tools;
        tools.addRecordingTool(QStringLiteral("screencapture"));
        qputenv("LUSTRELAB_CAPTURE_BACKEND", "screencapture");
        const auto unforce = qScopeGuard([] { qunsetenv("LUSTRELAB_CAPTURE_BACKEND"); });
        ScreenCaptureService service;
        service.setPrintsFailures(false);
        QString failed;
        connect(&service, &ScreenCaptureService::captureFailed, this,
                [&](CaptureMode, const QString& reason) { failed = reason; });
        std::optional<QImage> one, all;
        service.captureMonitor(MonitorChoice{Kind::numbered, 1, {}}).then(this, [&](const QImage& i) { one = i; });
        QTRY_VERIFY(one.has_value());
        QVERIFY(one->isNull());
        QVERIFY2(failed.startsWith(u"the screencapture capture backend takes every monitor at once"),
                 qPrintable(failed));
        QVERIFY(tools.invocations().isEmpty());
        service.captureMonitor(MonitorChoice::all()).then(this, [&](const QImage& i) { all = i; });
        QTRY_VERIFY(all.has_value());
        QCOMPARE(all->size(), QSize(24, 16));
        QCOMPARE(tools.invocations().value(0).mid(0, 2), (QStringList{"-m", "-x"}));
    }
};

QTEST_MAIN(TestMonitors)
#include "tst_monitors.moc"
