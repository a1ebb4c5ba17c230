// `lustrelab capture screen --monitor …` against a private X server whose one
// screen is split into two XRandR monitors of different sizes, each painted
// its own colour: the monitor asked for, and only it, must come out, at the
// pixel ratio Qt gives that monitor.
//
// Monitors, not X screens: a desktop with two monitors is one X screen (one
// root window across both) that XRandR divides, which is what the capture
// reads; Xvfb's "-screen 0 … -screen 1 …" would make two root windows, of
// which a capture on DISPLAY=:N.0 never sees the second.
#include "cli_fixtures.h"
#include "render/image_processor.h"
#include "state/template_manager.h"
#include "xvfb_main.h"

#include <QTest>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

using namespace lustrelab;

namespace {

constexpr QRgb leftColour = qRgb(0xff, 0x00, 0x00), rightColour = qRgb(0x00, 0x00, 0xff),
               offMonitorColour = qRgb(0x80, 0x80, 0x80);
const QRect leftMonitor(0, 0, 640, 480), rightMonitor(640, 0, 400, 300);

// A flat styling: a transparent margin of 16 points, no corners, no shadow,
// so every opaque pixel of the result is a pixel of the capture, and the
// margin in pixels tells its ratio.
const BeautySettings flat{.cornerRadius = 0,
                          .shadowEnabled = false,
                          .padding = 16,
                          .paddingTop = 16,
                          .paddingBottom = 16,
                          .paddingLeading = 16,
                          .paddingTrailing = 16,
                          .backgroundType = BackgroundType::transparent};

int count(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class TestCaptureMonitors : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    xcb_connection_t* m_x = nullptr; // held: a server whose last client leaves resets
    xcb_screen_t* m_screen = nullptr;

    void fill(const QRect& r, QRgb colour)
    {
        const xcb_gcontext_t gc = xcb_generate_id(m_x);
        const uint32_t value = colour & 0xffffff;
        xcb_create_gc(m_x, gc, m_screen->root, XCB_GC_FOREGROUND, &value);
        const xcb_rectangle_t rect{int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())};
        xcb_poly_fill_rectangle(m_x, m_screen->root, gc, 1, &rect);
        xcb_free_gc(m_x, gc);
    }

    // As a user splits one screen: `xrandr --setmonitor NAME W/MMxH/MM+X+Y OUTPUTS`.
    static bool setMonitor(const QString& name, const QRect& r, const QString& outputs)
    {
        const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                     .arg(r.width())
                                     .arg(r.width() / 4)
                                     .arg(r.height())
                                     .arg(r.height() / 4)
                                     .arg(r.x())
                                     .arg(r.y());
        QProcess xrandr;
        xrandr.setStandardOutputFile(QProcess::nullDevice()); // it reports what it did
        xrandr.start(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), name, geometry, outputs});
        return xrandr.waitForFinished(10000) && xrandr.exitCode() == 0;
    }

    clitest::Run capture(const QStringList& arguments, const QString& scaleFactors = {}) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The server's own pixels; no selection tool is needed for a screen.
        env.insert(QStringLiteral("LUSTRELAB_CAPTURE_BACKEND"), QStringLiteral("x11"));
        if (!scaleFactors.isEmpty())
            env.insert(QStringLiteral("QT_SCREEN_SCALE_FACTORS"), scaleFactors);
        return clitest::runLustrelab(QStringList{QStringLiteral("capture")} + arguments +
                                         QStringList{QStringLiteral("--template"), QStringLiteral("Flat")},
                                     m_home.path(), m_home.path(), false, env);
    }

  private slots:
    void initTestCase()
    {
        TemplateManager(TemplateManager::defaultDirectory()).saveTemplate(QStringLiteral("Flat"), flat);
        m_x = xcb_connect(nullptr, nullptr);
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        QCOMPARE(m_screen->width_in_pixels, 1040);
        if (QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty())
            QSKIP("xrandr is not installed (x11-xserver-utils)");
        // The screen's one output goes to the left monitor, so that the server
        // drops the monitor it made for it; the right one has none.
        QVERIFY(setMonitor(QStringLiteral("LEFT"), leftMonitor, QStringLiteral("screen")));
        QVERIFY(setMonitor(QStringLiteral("RIGHT"), rightMonitor, QStringLiteral("none")));
        fill(QRect(0, 0, 1040, 480), offMonitorColour);
        fill(leftMonitor, leftColour);
        fill(rightMonitor, rightColour);
        std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
    }
    void cleanupTestCase() { xcb_disconnect(m_x); }

    void picksTheMonitor_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QString>("scaleFactors"); // QT_SCREEN_SCALE_FACTORS
        QTest::addColumn<QRect>("taken");          // empty: refused
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("error");
        const QPoint nowhere(0, 0);
        QTest::newRow("1: the left") << QStringList{"screen", "--monitor", "1"} << nowhere << "" << leftMonitor
                                     << 1.0 << "";
        QTest::newRow("2: the right, without the word screen")
            << QStringList{"--monitor=2"} << nowhere << "" << rightMonitor << 1.0 << "";
        QTest::newRow("by name") << QStringList{"screen", "--monitor", "right"} << nowhere << "" << rightMonitor
                                 << 1.0 << "";
        QTest::newRow("current: the pointer on the right")
            << QStringList{"screen", "--monitor", "current"} << QPoint(700, 100) << "" << rightMonitor << 1.0 << "";
        QTest::newRow("current: the pointer on the left")
            << QStringList{"screen", "--monitor", "current"} << QPoint(639, 479) << "" << leftMonitor << 1.0 << "";
        QTest::newRow("current: the pointer under the right, off both")
            << QStringList{"screen", "--monitor", "current"} << QPoint(900, 400) << "" << rightMonitor << 1.0
            << "";
        QTest::newRow("the right at 2x beside the left at 1x")
            << QStringList{"screen", "--monitor", "2"} << nowhere << "LEFT=1;RIGHT=2" << rightMonitor << 2.0 << "";
        QTest::newRow("the left at 1x beside the right at 2x")
            << QStringList{"screen", "--monitor", "1"} << nowhere << "LEFT=1;RIGHT=2" << leftMonitor << 1.0 << "";
        QTest::newRow("all: the whole screen")
            << QStringList{"screen", "--monitor", "all"} << nowhere << "" << QRect(0, 0, 1040, 480) << 1.0 << "";
        QTest::newRow("without the option: the whole screen, as ever")
            << QStringList{"screen"} << nowhere << "" << QRect(0, 0, 1040, 480) << 1.0 << "";
        QTest::newRow("a monitor that is not there")
            << QStringList{"screen", "--monitor", "3"} << nowhere << "" << QRect() << 0.0
            << "lustrelab: capture: there is no monitor 3; this desktop has 2 monitors "
               "(1: LEFT 640x480+0+0, 2: RIGHT 400x300+640+0)";
        QTest::newRow("not a monitor at all")
            << QStringList{"screen", "--monitor", "0"} << nowhere << "" << QRect() << 0.0
            << "lustrelab capture: --monitor needs current, all, a number from 1 or a name, got '0'";
        QTest::newRow("a region has no monitor")
            << QStringList{"region", "--monitor", "1"} << nowhere << "" << QRect() << 0.0
            << "lustrelab capture: --monitor chooses the screen to capture; it goes with screen, not region";
    }
    void picksTheMonitor()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QPoint, pointer);
        QFETCH(QString, scaleFactors);
        QFETCH(QRect, taken);
        QFETCH(double, ratio);
        QFETCH(QString, error);
        xcb_warp_pointer(m_x, XCB_NONE, m_screen->root, 0, 0, 0, 0, int16_t(pointer.x()), int16_t(pointer.y()));
        xcb_flush(m_x);
        const QString out = m_home.filePath(QStringLiteral("monitor.png"));
        QFile::remove(out);
        const clitest::Run run = capture(arguments + QStringList{QStringLiteral("-o"), out}, scaleFactors);
        if (taken.isEmpty()) {
            QVERIFY(run.status != 0);
            QCOMPARE(run.errLines.value(0), error);
            QVERIFY(!QFile::exists(out));
            return;
        }
        QCOMPARE(run.status, 0);
        QCOMPARE(run.errLines, QStringList());
        const QImage written = QImage(out).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(written.size(), ImageProcessor::canvasPixelsFor(taken.size(), ratio, flat).toSize());
        // Exactly the monitor's pixels, and nothing of the other one.
        const QRect left = taken.intersected(leftMonitor), right = taken.intersected(rightMonitor);
        QCOMPARE(count(written, leftColour), left.width() * left.height());
        QCOMPARE(count(written, rightColour), right.width() * right.height());
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QCoreApplication, TestCaptureMonitors>(argc, argv, "1040x480x24");
}
#include "tst_capture_monitors.moc"
