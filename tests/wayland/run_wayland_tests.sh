#!/usr/bin/env bash
# run_wayland_tests.sh [LUSTRELAB]   (or LUSTRELAB_BINARY=... run_wayland_tests.sh)
#
# Drives the real lustrelab window on a headless sway desktop, keys typed with
# wtype, and checks what a user would see there:
#   1. an image copied with Ctrl+C can still be pasted after the window quit;
#   2. a capture started from the keyboard does not capture our own window,
#      and the window comes back afterwards;
#   3. an image already on the clipboard at launch shows up in the first tab;
#   4. `capture scrolling` over a window showing a tall page gives the page:
#      grim takes each frame and sway's virtual pointer turns the wheel
#      (slurp, which needs a person's drag, stands in with the window's place).
# Started outside a session, it starts one (wayland_session.sh) around itself.
set -u
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-${LUSTRELAB_BINARY:-}}
if [ -z "$binary" ] || [ ! -x "$binary" ]; then
    echo "usage: $0 PATH/TO/lustrelab   (or set LUSTRELAB_BINARY)" >&2
    exit 2
fi
if [ -z "${LUSTRELAB_IN_WAYLAND_SESSION:-}" ]; then
    export LUSTRELAB_IN_WAYLAND_SESSION=1
    exec "$here/wayland_session.sh" "$0" "$(realpath "$binary")"
fi

for tool in grim wl-copy wl-paste convert identify; do
    command -v "$tool" >/dev/null || { echo "wayland tests need $tool (see scripts/packages.txt)" >&2; exit 77; }
done

app_id=org.lustrelab.Lustrelab
work=$HOME/wayland-tests
mkdir -p "$work"
app_pid=
app_log=

# ---- helpers

within() {  # within SECONDS CMD...: true as soon as CMD succeeds, polling every 0.1 s
    local tries=$(($1 * 10)); shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1)); [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

# True when the sway tree (JSON on stdin) has a visible window of ours.
visible_in_tree() {
    /usr/bin/python3 -c '
import json, sys
def nodes(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from nodes(child)
sys.exit(0 if any(n.get("app_id") == sys.argv[1] and n.get("visible")
                  for n in nodes(json.load(sys.stdin))) else 1)' "$app_id"
}
window_visible() { swaymsg -t get_tree | visible_in_tree; }

# Pixels of the file within a few steps of COLOUR (#rrggbb).
colour_area() {
    convert "$1" -alpha off -fuzz 2% -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

# True when a screenshot of the desktop shows COLOUR over at least PIXELS.
screen_shows() {  # screen_shows COLOUR PIXELS
    grim "$work/screen.png" && [ "$(colour_area "$work/screen.png" "$1")" -ge "$2" ]
}

solid_png() {  # solid_png FILE WxH COLOUR
    convert -size "$2" "xc:$3" "$1"
}

start_app() {  # start_app NAME [ARGS...]: lustrelab in the background, output to NAME.log
    app_log=$work/$1.log; shift
    "$binary" "$@" >"$app_log" 2>&1 &
    app_pid=$!
}

app_running() { kill -0 "$app_pid" 2>/dev/null; }

# Ctrl+Q, then the status lustrelab exits with (124 when it does not within 10 s).
quit_app() {
    wtype -M ctrl q -m ctrl
    # An image never saved is asked about first: "Don't Save".
    sleep 1
    kill -0 "$app_pid" 2>/dev/null && wtype -M alt d -m alt
    within 10 sh -c "! kill -0 $app_pid" || return 124
    wait "$app_pid"
}

stop_app() {  # whatever a failed step left running
    [ -n "$app_pid" ] && app_running && { kill "$app_pid"; wait "$app_pid"; } 2>/dev/null
    app_pid=
}

passed=0 failed=0
fail() {  # fail MESSAGE: the one line a failed step prints, then what lustrelab said
    echo "FAIL $step: $*"
    [ -s "$app_log" ] && sed 's/^/    | /' "$app_log"
    return 1
}
run_step() {  # run_step NAME FUNCTION
    step=$1
    if "$2"; then echo "PASS $step"; passed=$((passed + 1)); else failed=$((failed + 1)); fi
    stop_app
}

# ---- 1. the copy outlives the window: on quit the image goes to wl-copy
copy_outlives_window() {
    local input=$work/copy-input.png colour='#1e90c8' status size
    solid_png "$input" 400x300 "$colour"
    start_app copy "$input"
    within 15 window_visible || { fail "no visible $app_id window in sway's tree"; return; }
    within 15 screen_shows "$colour" 50000 || { fail "the opened image never appeared on screen"; return; }
    wtype -M ctrl c -m ctrl
    within 5 sh -c 'wl-paste --list-types | grep -qx image/png' \
        || { fail "Ctrl+C put no image/png on the clipboard"; return; }
    quit_app; status=$?
    [ $status = 0 ] || { fail "lustrelab did not exit cleanly after Ctrl+Q (status $status)"; return; }
    wl-paste --no-newline --type image/png >"$work/pasted.png" 2>"$work/paste.err" \
        || { fail "nothing to paste after lustrelab quit: $(head -n1 "$work/paste.err")"; return; }
    size=$(identify -format '%w %h' "$work/pasted.png" 2>/dev/null) \
        || { fail "what was pasted after quitting is not a PNG"; return; }
    set -- $size
    [ "$1" -gt 400 ] && [ "$2" -gt 300 ] \
        || { fail "pasted image is ${1}x$2, not larger than the 400x300 input"; return; }
    [ "$(colour_area "$work/pasted.png" "$colour")" -ge 100000 ] \
        || { fail "pasted image does not hold the input's picture"; return; }
}

# ---- 2. a capture hides the window while the shot is taken
capture_hides_window() {
    local shot_colour='#c83c1e' args
    mkdir -p "$work/bin"
    # Called as: screencapture -i -x PATH (region). Records what sway shows
    # at that moment, then "captures" a solid picture into PATH.
    cat >"$work/bin/screencapture" <<EOF
#!/bin/sh
for out; do :; done
echo "\$@" >"$work/capture-args"
swaymsg -t get_tree >"$work/tree-at-capture.json"
convert -size 320x200 'xc:$shot_colour' "\$out"
EOF
    chmod +x "$work/bin/screencapture"
    solid_png "$work/capture-input.png" 400x300 '#1e90c8'
    PATH=$work/bin:$PATH LUSTRELAB_CAPTURE_BACKEND=screencapture start_app capture "$work/capture-input.png"
    within 15 window_visible || { fail "no visible $app_id window in sway's tree"; return; }
    within 15 screen_shows '#1e90c8' 50000 || { fail "the opened image never appeared on screen"; return; }
    wtype -M ctrl -M shift 6 -m shift -m ctrl
    within 10 test -s "$work/tree-at-capture.json" \
        || { fail "Ctrl+Shift+6 did not start a capture (screencapture was not called)"; return; }
    args=$(cat "$work/capture-args")
    [ "${args% *}" = "-i -x" ] || { fail "Ctrl+Shift+6 called 'screencapture $args', not a region capture"; return; }
    ! visible_in_tree <"$work/tree-at-capture.json" \
        || { fail "the window was still visible when the capture ran"; return; }
    within 10 window_visible || { fail "the window did not come back after the capture"; return; }
    app_running || { fail "lustrelab is gone after the capture"; return; }
    within 10 screen_shows "$shot_colour" 50000 || { fail "the captured shot was not shown"; return; }
    quit_app || { fail "lustrelab did not quit cleanly after the capture"; return; }
}

# ---- 3. an image on the clipboard at launch is pasted into the first tab
paste_at_launch() {
    local colour='#7d3cc8'
    solid_png "$work/clipboard.png" 500x350 "$colour"
    # wl-copy stays behind serving it; what it says when the session ends is no news
    wl-copy --type image/png <"$work/clipboard.png" 2>>"$work/wl-copy.log"
    within 5 sh -c "wl-paste --type image/png | cmp -s - '$work/clipboard.png'" \
        || { fail "wl-copy did not put the image on the clipboard"; return; }
    start_app paste
    within 15 window_visible || { fail "no visible $app_id window in sway's tree"; return; }
    within 15 screen_shows "$colour" 50000 \
        || { fail "the clipboard's image was not pasted at launch (not on screen)"; return; }
    quit_app || { fail "lustrelab did not quit cleanly"; return; }
}

# ---- 4. a scrolling capture of a long page gives the whole page
scrolling_capture() {
    local tool=${LUSTRELAB_SCROLL_PAGE:-$(dirname "$binary")/tools/scroll_page} inner rect region differ
    [ -x "$tool" ] || { echo "SKIP $step: $tool is not built"; return 0; }
    "$tool" "$work/page.png" 480 2400 360 >"$work/page-viewport" 2>"$work/page.log" &
    local page_pid=$!
    within 15 sh -c "swaymsg -t get_tree | grep -q '\"name\": \"Scrolled page\"'" \
        || { kill $page_pid; fail "the page window did not appear"; return; }
    within 5 test -s "$work/page-viewport" || { kill $page_pid; fail "the page window said nothing"; return; }
    inner=$(cat "$work/page-viewport")
    rect=$(swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def nodes(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from nodes(child)
r = next(n["rect"] for n in nodes(json.load(sys.stdin)) if n.get("name") == "Scrolled page")
print(r["x"], r["y"])')
    set -- $rect $inner
    region="$(($1 + $3)),$(($2 + $4)) ${5}x$6"
    mkdir -p "$work/slurp-bin"
    printf '#!/bin/sh\necho "%s"\n' "$region" >"$work/slurp-bin/slurp"
    chmod +x "$work/slurp-bin/slurp"
    app_log=$work/scrolling.log
    PATH=$work/slurp-bin:$PATH timeout 120 "$binary" capture scrolling -o "$work/scrolled.png" \
        --set padding=0 --set cornerRadius=0 --set shadowEnabled=false --set backgroundType=transparent \
        >"$app_log" 2>&1
    local status=$?
    kill $page_pid 2>/dev/null; wait $page_pid 2>/dev/null
    [ $status = 0 ] || { fail "capture scrolling exited with $status"; return; }
    size=$(identify -format '%wx%h' "$work/scrolled.png") || { fail "no image written"; return; }
    [ "$size" = 480x2400 ] || { fail "the capture is $size, not the page's 480x2400"; return; }
    differ=$(compare -metric AE "$work/scrolled.png" "$work/page.png" null: 2>&1)
    [ "${differ%% *}" = 0 ] || { fail "the capture differs from the page in $differ pixels"; return; }
}

run_step "copy outlives the window" copy_outlives_window
run_step "capture hides the window" capture_hides_window
run_step "paste at launch" paste_at_launch
run_step "scrolling capture" scrolling_capture

echo "$passed passed, $failed failed"
[ $failed = 0 ]
