#include "wayland_virtual_pointer.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace lustrelab {

namespace {

// The two interfaces of the virtual-pointer protocol (version 1), as the
// protocol's description defines them: the requests in their order, each
// with its argument signature. The protocol has no events.
const wl_interface* noTypes[8] = {};

const wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},
    {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},
    {"axis", "uuf", noTypes},
    {"frame", "", noTypes},
    {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes},
    {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes},
};
const wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr};

const wl_interface* createTypes[] = {&wl_seat_interface, &pointerInterface};
const wl_message managerRequests[] = {
    {"create_virtual_pointer", "?on", createTypes},
    {"destroy", "", noTypes},
};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, managerRequests, 0, nullptr};

enum PointerRequest : uint32_t { motionAbsolute = 1, frame = 4, axisSource = 5, axisDiscrete = 7, destroyPointer = 8 };
enum ManagerRequest : uint32_t { createPointer = 0, destroyManager = 1 };
constexpr uint32_t verticalAxis = 0, wheelSource = 0;
constexpr int wheelStep = 15; // the value of one notch, as a mouse wheel reports it

struct Globals
{
    QStringList names;
    uint32_t manager = 0; // the manager's global, 0 when there is none
};

void announced(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    globals->names << QString::fromLatin1(interface);
    if (std::strcmp(interface, managerInterface.name) == 0)
        globals->manager = name;
}

void withdrawn(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {announced, withdrawn};

// Milliseconds on a clock of our own; the compositor only compares them.
uint32_t now()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return uint32_t(clock.elapsed());
}

} // namespace

// Only the display the session names: without WAYLAND_DISPLAY the library
// would try "wayland-0", which on an X11 session is no one's desktop.
static wl_display* connectToSession()
{
    return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? nullptr : wl_display_connect(nullptr);
}

QStringList WaylandVirtualPointer::compositorGlobals()
{
    wl_display* display = connectToSession();
    if (!display)
        return {};
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return globals.names;
}

WaylandVirtualPointer::~WaylandVirtualPointer()
{
    close();
}

bool WaylandVirtualPointer::open()
{
    if (m_pointer)
        return true;
    m_display = connectToSession();
    if (!m_display)
        return false;
    Globals globals;
    wl_registry* registry = wl_display_get_registry(m_display);
    m_registry = reinterpret_cast<wl_proxy*>(registry);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(m_display);
    if (globals.manager == 0) {
        close();
        return false;
    }
    m_manager = static_cast<wl_proxy*>(wl_registry_bind(registry, globals.manager, &managerInterface, 1));
    // No seat named: the compositor's default one, where the user's pointer is.
    m_pointer = wl_proxy_marshal_constructor(m_manager, createPointer, &pointerInterface, nullptr, nullptr);
    if (!m_pointer || wl_display_roundtrip(m_display) < 0) {
        close();
        return false;
    }
    return true;
}

void WaylandVirtualPointer::sendMotion(QPoint point)
{
    const uint32_t x = uint32_t(std::clamp(point.x() - m_desktop.x(), 0, m_desktop.width() - 1));
    const uint32_t y = uint32_t(std::clamp(point.y() - m_desktop.y(), 0, m_desktop.height() - 1));
    wl_proxy_marshal(m_pointer, motionAbsolute, now(), x, y, uint32_t(m_desktop.width()),
                     uint32_t(m_desktop.height()));
    wl_proxy_marshal(m_pointer, frame);
}

void WaylandVirtualPointer::moveTo(QPoint point, const QRect& desktop)
{
    if (!m_pointer || desktop.isEmpty())
        return;
    m_point = point;
    m_desktop = desktop;
    sendMotion(point);
    wl_display_flush(m_display);
}

void WaylandVirtualPointer::park(QPoint point)
{
    if (!m_pointer || m_desktop.isEmpty())
        return;
    m_parked = point;
    sendMotion(point);
    wl_display_flush(m_display);
}

void WaylandVirtualPointer::scrollDown(int clicks)
{
    if (!m_pointer || m_desktop.isEmpty())
        return;
    // A pointer new to the seat gives the window under it the pointer
    // focus only with a move that comes after the window has taken up the
    // pointer the seat now has; the wheel goes to whoever has that focus.
    // So every turn of the wheel comes after a small move there and back.
    sendMotion(m_point + QPoint(1, 0));
    sendMotion(m_point);
    for (int i = 0; i < clicks; ++i) {
        wl_proxy_marshal(m_pointer, axisSource, wheelSource);
        wl_proxy_marshal(m_pointer, axisDiscrete, now(), verticalAxis, wl_fixed_from_int(wheelStep), 1);
        wl_proxy_marshal(m_pointer, frame);
    }
    if (m_parked)
        sendMotion(*m_parked);
    wl_display_flush(m_display);
}

void WaylandVirtualPointer::close()
{
    if (m_pointer) {
        wl_proxy_marshal(m_pointer, destroyPointer);
        wl_proxy_destroy(m_pointer);
        m_pointer = nullptr;
    }
    if (m_manager) {
        wl_proxy_marshal(m_manager, destroyManager);
        wl_proxy_destroy(m_manager);
        m_manager = nullptr;
    }
    if (m_registry) {
        wl_proxy_destroy(m_registry);
        m_registry = nullptr;
    }
    if (m_display) {
        wl_display_roundtrip(m_display); // the destroys reach the compositor
        wl_display_disconnect(m_display);
        m_display = nullptr;
    }
}

} // namespace lustrelab
