// Times one start of the window from outside, on an X server (bench/startup_memory.sh
// runs it on Xvfb): it starts the given command itself, so that the clock starts
// right before the exec, and then polls the screen every two milliseconds:
//
//   mapped_ms   until a viewable top-level window with the given title exists
//   painted_ms  until the middle of that window is no longer the root's black
//   image_ms    until that row crosses the marker colour, which only the composed
//               screenshot has (bench/startup_memory.sh draws a block of it in the
//               middle of its screenshot; the canvas fits the composition centred)
//
// Once the image is shown it reads the process's peak resident memory (VmHWM)
// and then its processor ticks (utime + stime) over an idle period (and the peak
// again after it), and stops it.
// Prints one line of key=value pairs; exits 1 when something never appeared.
//
//   startup_probe [--title T] [--marker RRGGBB] [--idle-seconds N] [--timeout-ms N] -- COMMAND...
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options
{
    std::string title = "Lustrelab";
    unsigned marker = 0xe0562a;
    int idleSeconds = 5;
    int timeoutMs = 20000;
    std::vector<char*> command;
};

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply)
{
    return {reply, &std::free};
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

struct Rect
{
    int x, y, width, height;
};

// The first viewable child of the root whose title is `title`. Without a
// window manager the application's window is a direct child of the root.
std::optional<Rect> findWindow(xcb_connection_t* connection, xcb_window_t root, const std::string& title,
                               xcb_atom_t netWmName, xcb_atom_t utf8)
{
    auto tree = owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
        auto attributes = owned(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        auto name = owned(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, children[i], netWmName, utf8, 0, 256), nullptr));
        if (!name || xcb_get_property_value_length(name.get()) <= 0)
            name = owned(xcb_get_property_reply(
                connection,
                xcb_get_property(connection, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256),
                nullptr));
        if (!name)
            continue;
        const std::string value(static_cast<const char*>(xcb_get_property_value(name.get())),
                                size_t(xcb_get_property_value_length(name.get())));
        if (value != title)
            continue;
        auto geometry =
            owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, children[i]), nullptr));
        if (geometry)
            return Rect{geometry->x, geometry->y, geometry->width, geometry->height};
    }
    return std::nullopt;
}

// The pixels of the middle third of the window's middle row, as 0xRRGGBB:
// where the canvas shows the marker. Each read is work for the X server,
// which shares the processors with the window being timed, so it reads no
// more than it needs.
std::vector<unsigned> screenRow(xcb_connection_t* connection, const xcb_screen_t& screen, const Rect& window)
{
    const int left = std::max(0, window.x + window.width / 3);
    const int right = std::min(int(screen.width_in_pixels), window.x + 2 * window.width / 3);
    const int y = window.y + window.height / 2;
    if (right <= left || y < 0 || y >= screen.height_in_pixels)
        return {};
    auto image = owned(xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen.root, int16_t(left), int16_t(y),
                      uint16_t(right - left), 1, ~0u),
        nullptr));
    if (!image || image->depth != 24)
        return {};
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
    const int pixels = xcb_get_image_data_length(image.get()) / 4;
    std::vector<unsigned> row(static_cast<size_t>(pixels));
    for (int i = 0; i < pixels; ++i)
        row[size_t(i)] = data[i] & 0xffffff;
    return row;
}

bool near(unsigned pixel, unsigned colour)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = int((pixel >> shift) & 0xff), b = int((colour >> shift) & 0xff);
        if (std::abs(a - b) > 10)
            return false;
    }
    return true;
}

// Enough pixels of the marker that it is the block and not a stray pixel of a gradient.
bool showsMarker(const std::vector<unsigned>& row, unsigned marker)
{
    int count = 0;
    for (unsigned pixel : row)
        count += near(pixel, marker);
    return count >= 24;
}

bool painted(const std::vector<unsigned>& row)
{
    for (unsigned pixel : row)
        if (pixel != 0)
            return true;
    return false;
}

std::string statusField(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            std::string kb;
            value >> kb;
            return kb;
        }
    return "?";
}

// utime + stime, fields 14 and 15 of /proc/PID/stat (after the parenthesised name).
long long cpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t end = text.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(end + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i)
        fields >> skip;
    long long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::optional<Options> parse(int argc, char** argv)
{
    Options options;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string key = argv[i];
        const char* value = argv[++i];
        if (key == "--title")
            options.title = value;
        else if (key == "--marker")
            options.marker = unsigned(std::strtoul(value, nullptr, 16));
        else if (key == "--idle-seconds")
            options.idleSeconds = std::atoi(value);
        else if (key == "--timeout-ms")
            options.timeoutMs = std::atoi(value);
        else
            return std::nullopt;
    }
    for (++i; i < argc; ++i)
        options.command.push_back(argv[i]);
    if (options.command.empty())
        return std::nullopt;
    options.command.push_back(nullptr);
    return options;
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fputs("usage: startup_probe [--title T] [--marker RRGGBB] [--idle-seconds N] [--timeout-ms N] "
                   "-- COMMAND...\n",
                   stderr);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("startup_probe: cannot connect to the X server (is DISPLAY set?)\n", stderr);
        return 2;
    }
    const xcb_screen_t& screen = *xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t netWmName = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(options->command[0], options->command.data());
        std::perror("startup_probe: exec");
        _exit(127);
    }

    std::optional<Rect> window;
    double mappedMs = -1, paintedMs = -1, imageMs = -1;
    while (imageMs < 0) {
        if (msSince(start) > options->timeoutMs || waitpid(pid, nullptr, WNOHANG) == pid)
            break;
        if (!window) {
            window = findWindow(connection, screen.root, options->title, netWmName, utf8);
            if (window)
                mappedMs = msSince(start);
        }
        if (window) {
            const std::vector<unsigned> row = screenRow(connection, screen, *window);
            if (paintedMs < 0 && painted(row))
                paintedMs = msSince(start);
            if (paintedMs >= 0 && showsMarker(row, options->marker))
                imageMs = msSince(start);
        }
        if (imageMs < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (imageMs < 0) {
        std::fprintf(stderr, "startup_probe: %s within %d ms\n",
                     !window ? "no window appeared" : "the composed image never appeared", options->timeoutMs);
        stop(pid);
        xcb_disconnect(connection);
        return 1;
    }

    const std::string hwmKb = statusField(pid, "VmHWM");
    const long long ticksBefore = cpuTicks(pid);
    std::this_thread::sleep_for(std::chrono::seconds(options->idleSeconds));
    const long long idleTicks = cpuTicks(pid) - ticksBefore;
    const std::string hwmAfterIdleKb = statusField(pid, "VmHWM");
    stop(pid);
    xcb_disconnect(connection);
    std::printf("mapped_ms=%.1f painted_ms=%.1f image_ms=%.1f hwm_kb=%s idle_ticks=%lld hwm_after_idle_kb=%s\n",
                mappedMs, paintedMs, imageMs, hwmKb.c_str(), idleTicks, hwmAfterIdleKb.c_str());
    return 0;
}
