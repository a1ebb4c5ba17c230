// Captures read from a real X server (a private Xvfb): the test draws a
// known picture on the screen and windows over it, a fake slop "picks" a
// region or window, and the captured pixels must be exactly those on screen.

#include "io/capture_backend_loader.h"
#include "io/screen_capture_service.h"
#include "io/x11_capture_backend.h"
#include "io/x11_screen_grab.h"
#include "io_fixtures.h"
#include "xvfb_main.h"

#include <QtTest>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

constexpr int screenWidth = 640, screenHeight = 480;

// Every pixel of the screen different, and no two channels alike, so that a
// shifted grab or swapped channels cannot look right.
QImage screenPattern()
{
    QImage image(screenWidth, screenHeight, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, 0x40 + (x >> 8) * 16 + (y >> 8)));
    return image;
}

// A window the test puts on screen, as a window manager would frame one:
// a frame window (a child of the root, with a border) around a client.
struct FramedWindow
{
    QRect frame; // outer rectangle, border included
    int border = 0;
    QPoint clientOffset; // inside the frame's border
    QSize clientSize;
    QRgb borderColor = qRgb(0x11, 0x22, 0x33), frameColor = qRgb(0xc0, 0x80, 0x40),
         clientColor = qRgb(0x20, 0x80, 0xc0);
};

} // namespace

Q_DECLARE_METATYPE(FramedWindow)
Q_DECLARE_METATYPE(lustrelab::XPixelLayout)

namespace {

class XDisplay
{
  public:
    XDisplay() : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    }
    ~XDisplay()
    {
        for (xcb_window_t w : m_windows)
            xcb_destroy_window(m_connection, w);
        sync();
        xcb_disconnect(m_connection);
    }
    xcb_connection_t* connection() const { return m_connection; }
    const xcb_screen_t* screen() const { return m_screen; }

    void sync()
    {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    // Puts `image` (RGB32, as the common 24-bit server stores it) on the root window.
    void drawOnRoot(const QImage& image)
    {
        const xcb_gcontext_t gc = xcb_generate_id(m_connection);
        xcb_create_gc(m_connection, gc, m_screen->root, 0, nullptr);
        constexpr int band = 32; // rows a request: well under any request limit
        for (int y = 0; y < image.height(); y += band) {
            const int rows = std::min(band, image.height() - y);
            xcb_generic_error_t* error = xcb_request_check(
                m_connection,
                xcb_put_image_checked(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_screen->root, gc,
                                      uint16_t(image.width()), uint16_t(rows), 0, int16_t(y), 0,
                                      m_screen->root_depth, uint32_t(image.bytesPerLine() * rows),
                                      image.constScanLine(y)));
            if (error)
                qWarning("drawing on the screen failed: X error %d", error->error_code);
            std::free(error);
        }
        xcb_free_gc(m_connection, gc);
        sync();
    }

    xcb_window_t createWindow(xcb_window_t parent, const QRect& rect, int border, QRgb background,
                              QRgb borderColor)
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const uint32_t values[] = {background & 0xffffff, borderColor & 0xffffff, 1};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, parent, int16_t(rect.x()),
                          int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height()),
                          uint16_t(border), XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(m_connection, window);
        m_windows.prepend(window); // children go before their parents
        return window;
    }

    // The frame and its client; returns {frame, client}.
    std::pair<xcb_window_t, xcb_window_t> show(const FramedWindow& w)
    {
        const QRect inner(w.frame.topLeft(), w.frame.size() - QSize(2 * w.border, 2 * w.border));
        const xcb_window_t frame = createWindow(m_screen->root, inner, w.border, w.frameColor, w.borderColor);
        const xcb_window_t client =
            w.clientSize.isEmpty()
                ? frame
                : createWindow(frame, QRect(w.clientOffset, w.clientSize), 0, w.clientColor, w.clientColor);
        sync();
        return {frame, client};
    }

    void setFrameExtents(xcb_window_t window, const QList<uint32_t>& extents)
    {
        const char name[] = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL, 32,
                            uint32_t(extents.size()), extents.constData());
        std::free(atom);
        sync();
    }

  private:
    xcb_connection_t* m_connection;
    const xcb_screen_t* m_screen = nullptr;
    QList<xcb_window_t> m_windows;
};

// What the screen shows with `w` over the pattern.
QImage sceneWith(const FramedWindow& w)
{
    QImage scene = screenPattern();
    const QRect inner = w.frame.adjusted(w.border, w.border, -w.border, -w.border);
    for (int y = 0; y < scene.height(); ++y)
        for (int x = 0; x < scene.width(); ++x) {
            const QPoint p(x, y);
            if (!w.frame.contains(p))
                continue;
            QRgb color = inner.contains(p) ? w.frameColor : w.borderColor;
            if (!w.clientSize.isEmpty() && QRect(inner.topLeft() + w.clientOffset, w.clientSize).contains(p))
                color = w.clientColor;
            scene.setPixel(p, color);
        }
    return scene;
}

// The colours an image shows, alpha aside, for comparing what was captured
// with what the screen shows.
QImage shown(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}
#define COMPARE_PIXELS(actual, expected) QCOMPARE(shown(actual), shown(expected))

} // namespace

class TestX11Capture : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedHome> m_env;
    // Held for the whole test: an X server whose last client leaves resets
    // itself, and the picture on its screen goes with it.
    std::unique_ptr<XDisplay> m_display;

    // One capture through the service, as the window and the capture
    // command make it, with slop answering `slopSays` (and exiting with
    // `slopStatus`). Null when nothing was captured.
    QImage captureThroughService(CaptureMode mode, const QByteArray& slopSays, int slopStatus = 0)
    {
        FakeTools tools;
        tools.addScript(QStringLiteral("slop"), "#!/bin/sh\nprintf '%s' '" + slopSays + "'\nexit " +
                                                    QByteArray::number(slopStatus) + "\n");
        ScreenCaptureService service;
        std::unique_ptr<CaptureBackend> chosen;
        QObject context;
        loadCaptureBackend(&context, [&](std::unique_ptr<CaptureBackend> b) { chosen = std::move(b); });
        if (!chosen || chosen->name() != u"x11") {
            qWarning("the X server grab was not chosen where slop is installed");
            return QImage(QSize(1, 1), QImage::Format_Mono); // compares unequal to anything expected
        }
        service.setBackend(std::move(chosen));
        QImage result;
        bool ended = false;
        service.capture(mode).then(&service, [&](const QImage& image) {
            result = image;
            ended = true;
        });
        if (!QTest::qWaitFor([&] { return ended; }, 5000))
            qWarning("the capture did not end");
        // Nothing goes through a file: the temporary folder stays empty.
        if (!m_env->tempFiles().isEmpty())
            qWarning("a capture left files behind");
        return result;
    }

  private slots:
    void initTestCase()
    {
        m_env = std::make_unique<IsolatedHome>();
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        m_display = std::make_unique<XDisplay>();
        QCOMPARE(m_display->screen()->width_in_pixels, screenWidth);
        QCOMPARE(m_display->screen()->root_depth, 24);
    }
    void cleanupTestCase() { m_display.reset(); }

    void init() { m_display->drawOnRoot(screenPattern()); }

    void fullScreen() { COMPARE_PIXELS(captureThroughService(CaptureMode::fullScreen, ""), screenPattern()); }

    void region_data()
    {
        QTest::addColumn<QByteArray>("slopSays");
        QTest::addColumn<int>("slopStatus");
        QTest::addColumn<QRect>("expected"); // empty: nothing captured
        QTest::newRow("dragged area") << QByteArray("10 20 30 40 0") << 0 << QRect(10, 20, 30, 40);
        QTest::newRow("beyond the right and bottom edges")
            << QByteArray("620 470 50 50 0") << 0 << QRect(620, 470, 20, 10);
        QTest::newRow("one pixel at the far corner")
            << QByteArray("639 479 1 1 0") << 0 << QRect(639, 479, 1, 1);
        QTest::newRow("a click on a window keeps slop's rectangle")
            << QByteArray("100 50 64 32 4194305") << 0 << QRect(100, 50, 64, 32);
        QTest::newRow("cancelled with Escape") << QByteArray() << 1 << QRect();
        QTest::newRow("an answer that is not a rectangle") << QByteArray("10 20 0 40 0") << 0 << QRect();
    }
    void region()
    {
        QFETCH(QByteArray, slopSays);
        QFETCH(int, slopStatus);
        QFETCH(QRect, expected);
        const QImage captured = captureThroughService(CaptureMode::region, slopSays, slopStatus);
        if (expected.isEmpty())
            QVERIFY(captured.isNull());
        else
            COMPARE_PIXELS(captured, screenPattern().copy(expected));
    }

    void window_data()
    {
        QTest::addColumn<FramedWindow>("window");
        QTest::addColumn<QString>("clicked");     // "client", "frame" or "root"
        QTest::addColumn<QList<uint>>("extents"); // _NET_FRAME_EXTENTS on the clicked window
        QTest::addColumn<QRect>("expected");
        FramedWindow framed;
        framed.frame = QRect(100, 80, 60, 50);
        framed.border = 2;
        framed.clientOffset = QPoint(3, 12);
        framed.clientSize = QSize(40, 20);
        QTest::newRow("a click on the client brings its frame")
            << framed << "client" << QList<uint>{} << framed.frame;
        QTest::newRow("a click on the frame") << framed << "frame" << QList<uint>{} << framed.frame;
        FramedWindow offScreen = framed;
        offScreen.frame.moveTo(610, 450);
        QTest::newRow("partly off the screen")
            << offScreen << "client" << QList<uint>{} << QRect(610, 450, 30, 30);
        FramedWindow unframed;
        unframed.frame = QRect(200, 100, 50, 30);
        QTest::newRow("a manager that draws its frame outside the window")
            << unframed << "frame" << QList<uint>{4, 6, 20, 3} << QRect(196, 80, 60, 53);
        QTest::newRow("the desktop: slop's rectangle")
            << framed << "root" << QList<uint>{} << QRect(0, 0, screenWidth, screenHeight);
    }
    void window()
    {
        QFETCH(FramedWindow, window);
        QFETCH(QString, clicked);
        QFETCH(QList<uint>, extents);
        QFETCH(QRect, expected);
        XDisplay display;
        const auto [frame, client] = display.show(window);
        if (!extents.isEmpty())
            display.setFrameExtents(frame, QList<uint32_t>(extents.begin(), extents.end()));
        const xcb_window_t id = clicked == u"client"  ? client
                                : clicked == u"frame" ? frame
                                                      : display.screen()->root;
        // What slop reports as the area is of no account: the server is asked.
        const QByteArray slopSays = clicked == u"root" ? QByteArray("0 0 640 480 ") + QByteArray::number(id)
                                                       : QByteArray("1 1 5 5 ") + QByteArray::number(id);
        const QImage captured = captureThroughService(CaptureMode::window, slopSays);
        COMPARE_PIXELS(captured, sceneWith(window).copy(expected));
    }

    // Shared memory and the plain request read the same pixels.
    void bothWaysAgree_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::newRow("whole screen") << QRect(0, 0, screenWidth, screenHeight);
        QTest::newRow("odd-sized area") << QRect(33, 7, 101, 53);
    }
    void bothWaysAgree()
    {
        QFETCH(QRect, area);
        XDisplay display;
        const XGrab shared = grabRootArea(display.connection(), display.screen(), area);
        const XGrab plain =
            grabRootArea(display.connection(), display.screen(), area, GrabMethod::plainRequest);
        QVERIFY(shared.shared); // Xvfb on this machine shares memory
        QVERIFY(!plain.shared);
        COMPARE_PIXELS(shared.image, screenPattern().copy(area));
        COMPARE_PIXELS(plain.image, screenPattern().copy(area));
    }

    // Server pixel layouts other than this machine's own.
    void pixelLayouts_data()
    {
        QTest::addColumn<XPixelLayout>("layout");
        QTest::addColumn<QByteArray>("bytes"); // one pixel as the server sends it
        QTest::addColumn<uint>("expected");
        XPixelLayout lsb;
        QTest::newRow("32 bits, least significant byte first")
            << lsb << QByteArray("\x30\x20\x10\x00", 4) << uint(qRgb(0x10, 0x20, 0x30));
        XPixelLayout msb;
        msb.msbFirst = true;
        QTest::newRow("32 bits, most significant byte first")
            << msb << QByteArray("\x00\x10\x20\x30", 4) << uint(qRgb(0x10, 0x20, 0x30));
        XPixelLayout bgr;
        bgr.redMask = 0xff;
        bgr.blueMask = 0xff0000;
        QTest::newRow("red in the low byte")
            << bgr << QByteArray("\x30\x20\x10\x00", 4) << uint(qRgb(0x30, 0x20, 0x10));
        XPixelLayout packed;
        packed.bitsPerPixel = 24;
        QTest::newRow("24 bits packed")
            << packed << QByteArray("\x30\x20\x10", 3) << uint(qRgb(0x10, 0x20, 0x30));
        XPixelLayout rgb565;
        rgb565.bitsPerPixel = 16;
        rgb565.redMask = 0xf800;
        rgb565.greenMask = 0x07e0;
        rgb565.blueMask = 0x001f;
        // Full red, half green (0x20 of 0x3f), no blue: 0xfc00.
        QTest::newRow("16 bits, 5-6-5")
            << rgb565 << QByteArray("\x00\xfc", 2) << uint(qRgb(0xff, 0x82, 0x00));
    }
    void pixelLayouts()
    {
        QFETCH(XPixelLayout, layout);
        QFETCH(QByteArray, bytes);
        QFETCH(uint, expected);
        // Two rows of three pixels, the line padded past its pixels.
        const qsizetype bytesPerLine = bytes.size() * 3 + 4;
        QByteArray data(bytesPerLine * 2, '\x7f');
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x < 3; ++x)
                data.replace(row * bytesPerLine + x * bytes.size(), bytes.size(), bytes);
        const QImage image = imageFromXPixels(reinterpret_cast<const uchar*>(data.constData()), QSize(3, 2),
                                              bytesPerLine, layout);
        QCOMPARE(image.size(), QSize(3, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(image.pixel(x, y), QRgb(expected));
    }
};

int main(int argc, char** argv)
{
    return lustrelab::test::runOnXvfb<QCoreApplication, TestX11Capture>(argc, argv, "640x480x24");
}

#include "tst_x11_capture.moc"
