#include "x11_monitors.h"

#include <cstdlib>
#include <memory>
#include <xcb/randr.h>

namespace lustrelab {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* r)
{
    return Reply<T>(r, &std::free);
}

QString atomName(xcb_connection_t* c, xcb_atom_t atom)
{
    auto name = reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    if (!name)
        return {};
    return QString::fromLatin1(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get()));
}

ScreenMonitor wholeScreen(const xcb_screen_t* screen)
{
    return {QStringLiteral("screen"), QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels), 1};
}

} // namespace

QList<ScreenMonitor> x11Monitors(xcb_connection_t* c, const xcb_screen_t* screen)
{
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (!randr || !randr->present)
        return {wholeScreen(screen)};
    // The monitor list came with version 1.5.
    auto version = reply(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || version->major_version < 1 || (version->major_version == 1 && version->minor_version < 5))
        return {wholeScreen(screen)};
    auto answer = reply(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, screen->root, 1), nullptr));
    if (!answer)
        return {wholeScreen(screen)};
    QList<ScreenMonitor> monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(answer.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t* info = it.data;
        if (info->width == 0 || info->height == 0)
            continue;
        monitors << ScreenMonitor{atomName(c, info->name), QRect(info->x, info->y, info->width, info->height), 1};
    }
    // A server that lists none (every output switched off) still shows its root.
    return monitors.isEmpty() ? QList<ScreenMonitor>{wholeScreen(screen)} : monitors;
}

std::optional<QPoint> x11PointerOnRoot(xcb_connection_t* c, const xcb_screen_t* screen)
{
    auto pointer = reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr));
    if (!pointer || !pointer->same_screen)
        return std::nullopt;
    return QPoint(pointer->root_x, pointer->root_y);
}

} // namespace lustrelab
