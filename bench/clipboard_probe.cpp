// Times a command that copies an image, from outside, on an X server
// (bench/capture_vs_flameshot.sh runs it on Xvfb): it clears the CLIPBOARD,
// starts the command itself, so that the clock starts right before the exec,
// then asks the server for the CLIPBOARD's owner every millisecond; once
// someone owns it, it asks the owner for its TARGETS and stops the clock at
// the first answer that lists image/png.
//
//   offer_ms  until the CLIPBOARD's owner offers image/png
//   exit_ms   until the command exited (after offer_ms when it hands the
//             clipboard to a process of its own and returns); -1 for a
//             command that stays to serve the clipboard itself
//
// Afterwards it clears the CLIPBOARD, which sends whoever serves it away
// (a command still serving is given 2 s to leave, then killed), so that the
// next round starts on an idle machine.
// Prints one line "offer_ms=… exit_ms=…"; exits 1 when no offer came within
// the time limit.
//
//   clipboard_probe [--timeout-ms N] [--linger-ms N] -- COMMAND...
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* x, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return value;
}

xcb_window_t owner(xcb_connection_t* x, xcb_atom_t selection)
{
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, selection), nullptr);
    const xcb_window_t window = reply ? reply->owner : XCB_NONE;
    std::free(reply);
    return window;
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    int timeoutMs = 30000, lingerMs = 5000; // how long a command may take to exit after its offer
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first)
        if (std::strcmp(argv[first], "--timeout-ms") == 0 && first + 1 < argc)
            timeoutMs = std::atoi(argv[++first]);
        else if (std::strcmp(argv[first], "--linger-ms") == 0 && first + 1 < argc)
            lingerMs = std::atoi(argv[++first]);
    if (first + 1 >= argc) {
        std::fprintf(stderr, "usage: clipboard_probe [--timeout-ms N] -- COMMAND...\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "clipboard_probe: no X server\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const xcb_atom_t clipboard = atom(x, "CLIPBOARD"), targets = atom(x, "TARGETS"),
                     png = atom(x, "image/png"), property = atom(x, "LUSTRELAB_PROBE_TARGETS");
    const xcb_window_t window = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    // Whoever held the clipboard from an earlier round lets it go now.
    xcb_set_selection_owner(x, XCB_NONE, clipboard, XCB_CURRENT_TIME);
    xcb_flush(x);
    while (owner(x, clipboard) != XCB_NONE)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first + 1], argv + first + 1);
        _exit(127);
    }
    double offerMs = -1, exitMs = -1;
    bool asked = false;
    while (msSince(start) < timeoutMs && (offerMs < 0 || exitMs < 0)) {
        int status = 0;
        if (exitMs < 0 && waitpid(child, &status, WNOHANG) == child)
            exitMs = msSince(start);
        if (offerMs >= 0) {
            if (msSince(start) > offerMs + lingerMs)
                break; // it stays to serve the clipboard
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (!asked && owner(x, clipboard) != XCB_NONE) {
            xcb_convert_selection(x, window, clipboard, targets, property, XCB_CURRENT_TIME);
            xcb_flush(x);
            asked = true;
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
                asked = false;
                auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
                if (notify->property != XCB_NONE) {
                    xcb_get_property_reply_t* reply = xcb_get_property_reply(
                        x, xcb_get_property(x, 1, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr);
                    if (reply) {
                        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
                        const int count = xcb_get_property_value_length(reply) / 4;
                        for (int i = 0; i < count; ++i)
                            if (atoms[i] == png)
                                offerMs = msSince(start);
                    }
                    std::free(reply);
                }
            }
            std::free(event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    xcb_set_selection_owner(x, XCB_NONE, clipboard, XCB_CURRENT_TIME);
    xcb_flush(x);
    if (exitMs < 0) {
        const Clock::time_point cleared = Clock::now();
        while (waitpid(child, nullptr, WNOHANG) != child)
            if (msSince(cleared) > 2000) {
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
    }
    std::printf("offer_ms=%.1f exit_ms=%.1f\n", offerMs, exitMs);
    xcb_disconnect(x);
    return offerMs < 0 ? 1 : 0;
}
