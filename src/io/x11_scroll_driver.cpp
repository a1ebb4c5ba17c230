#include "x11_scroll_driver.h"

#include "x11_screen_grab.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xtest.h>

namespace lustrelab {

namespace {

constexpr uint8_t wheelDown = 5; // X's button numbers for the wheel: 4 up, 5 down

} // namespace

bool X11ScrollDriver::open()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    xcb_test_get_version_reply_t* version =
        xcb_test_get_version_reply(connection, xcb_test_get_version(connection, 2, 1), nullptr);
    if (!version)
        return false;
    std::free(version);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return false;
    m_connection = connection;
    m_screen = screen;
    m_root = screen->root;
    return true;
}

bool X11ScrollDriver::begin(const QRect& region, double ratio)
{
    if (!open())
        return false;
    m_area = QRect((QPointF(region.topLeft()) * ratio).toPoint(), (QSizeF(region.size()) * ratio).toSize());
    movePointer(m_area.center());
    return true;
}

X11ScrollDriver::~X11ScrollDriver()
{
    releaseSegment();
}

void X11ScrollDriver::releaseSegment() const
{
    if (!m_memory)
        return;
    if (m_connection) {
        xcb_shm_detach(m_connection, m_segment);
        xcb_flush(m_connection);
    }
    shmdt(m_memory);
    m_memory = nullptr;
    m_segmentSize = 0;
}

// One segment for the whole capture, attached once: a fresh one a frame
// costs the kernel a page fault for every 4 KiB the server writes.
bool X11ScrollDriver::ensureSegment(size_t size) const
{
    if (m_memory && m_segmentSize >= size)
        return true;
    releaseSegment();
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(m_connection, &xcb_shm_id);
    if (!shm || !shm->present)
        return false;
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* memory = shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(m_connection);
    xcb_generic_error_t* error =
        xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, segment, uint32_t(id), 0));
    shmctl(id, IPC_RMID, nullptr); // gone once both sides let go
    if (error) {
        std::free(error);
        shmdt(memory);
        return false;
    }
    m_memory = memory;
    m_segment = segment;
    m_segmentSize = size;
    return true;
}

QImage X11ScrollDriver::grab(const QRect& area) const
{
    if (!m_connection || !m_screen || area.isEmpty())
        return {};
    // Shared memory where the server offers it (the pixels do not travel
    // through the socket, which at 2880 x 1800 is most of a step's time),
    // for the server's common pixel layout; anything else the general grab.
    const std::optional<XPixelLayout> layout = rootPixelLayout(m_connection, m_screen);
    const QRect onScreen = area.intersected(QRect(0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels));
    const XPixelLayout common;
    const bool plain = layout && *layout == common && QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    const size_t bytesPerLine = size_t(onScreen.width()) * 4;
    if (!plain || onScreen != area || !ensureSegment(bytesPerLine * size_t(area.height())))
        return grabRootArea(m_connection, m_screen, area).image;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, m_root, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
        nullptr);
    if (!reply)
        return grabRootArea(m_connection, m_screen, area).image;
    std::free(reply);
    QImage image(area.size(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const auto* from = static_cast<const uint32_t*>(m_memory);
    for (int y = 0; y < area.height(); ++y, from += area.width()) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            line[x] = from[x] | 0xff000000u; // depth 24 leaves the top byte undefined
    }
    return image;
}

void X11ScrollDriver::movePointer(QPoint devicePixel) const
{
    if (!m_connection)
        return;
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(devicePixel.x()),
                        int16_t(devicePixel.y()), 0);
    xcb_flush(m_connection);
}

void X11ScrollDriver::scrollDown(int clicks)
{
    if (!m_connection)
        return;
    for (int i = 0; i < clicks; ++i) {
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, wheelDown, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, wheelDown, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    xcb_flush(m_connection);
}

} // namespace lustrelab
