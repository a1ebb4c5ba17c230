#include "x11_scroll_driver.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
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
    m_root = screen->root;
    m_depth = screen->root_depth;
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

QImage X11ScrollDriver::grab(const QRect& area) const
{
    if (!m_connection || area.isEmpty() || (m_depth != 24 && m_depth != 32))
        return {};
    // One request per band: a whole 2880 x 1800 area in one reply is over
    // the server's largest request size on some set-ups.
    QImage image(area.size(), QImage::Format_RGB32);
    const int bandRows = std::max(1, (4 << 20) / (area.width() * 4));
    for (int top = 0; top < area.height(); top += bandRows) {
        const int rows = std::min(bandRows, area.height() - top);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(area.x()),
                          int16_t(area.y() + top), uint16_t(area.width()), uint16_t(rows), ~0u),
            nullptr);
        if (!reply)
            return {};
        const uint8_t* data = xcb_get_image_data(reply);
        const int length = xcb_get_image_data_length(reply);
        const qsizetype stride = qsizetype(area.width()) * 4;
        if (length < stride * rows) {
            std::free(reply);
            return {};
        }
        for (int r = 0; r < rows; ++r) {
            auto* line = reinterpret_cast<uint32_t*>(image.scanLine(top + r));
            std::memcpy(line, data + r * stride, stride);
            for (int x = 0; x < area.width(); ++x)
                line[x] |= 0xff000000u; // depth 24 leaves the top byte undefined
        }
        std::free(reply);
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
