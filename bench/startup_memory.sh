#!/usr/bin/env bash
# How fast `lustrelab FILE` puts a 2880 x 1800 screenshot on screen, and what
# the window then holds and spends: on a private Xvfb screen of 2880 x 1800,
# RUNS starts at ratio 1 and RUNS with QT_SCALE_FACTOR=2, each timed from
# outside by startup_probe (bench/startup_probe.cpp):
#
#   window   from the exec until the window is mapped
#   painted  until the middle of the window is painted
#   image    until the composed screenshot shows in the canvas
#   peak     VmHWM once the image is shown, in MB
#   idle     processor ticks (utime + stime) over the 5 s after that
#
# Prints every run and the medians. The screenshot is drawn with ImageMagick:
# a title bar, a sidebar, 48 lines of text and, in its middle, an orange
# picture whose colour nothing else on screen has, which is how the probe
# knows the composed image is there.
#
#   bench/startup_memory.sh [BUILD_DIR [RUNS]]     (default build, 7)
set -euo pipefail

build=${1:-build}
runs=${2:-7}
binary=$build/lustrelab
probe=$build/bench/startup_probe
marker=e0562a

fail() {
    echo "startup_memory.sh: $*" >&2
    exit 1
}
for tool in Xvfb convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it from scripts/packages.txt)"
done
[[ -x $binary ]] || fail "no $binary: build it (cmake --build build --target lustrelab startup_probe)"
[[ -x $probe ]] || fail "no $probe: ninja -C $build startup_probe"
[[ $runs =~ ^[1-9][0-9]*$ ]] || fail "RUNS must be a positive number, not '$runs'"

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The screenshot: text drawn as on a 2x screen, and the marker block.
shot=$work/screenshot.png
text=()
for line in $(seq 0 47); do
    y=$((150 + line * 34))
    colour='#1e1e22'
    ((line % 7 == 0)) && colour='#145ac8'
    text+=(-fill "$colour" -annotate "+580+$y" "$line  The quick brown fox jumps over the lazy dog, again and again, line after line."
        -fill '#1e1e22' -annotate "+40+$y" "Item $line")
done
convert -size 2880x1800 xc:'#f6f6f8' -fill '#34363c' -draw 'rectangle 0,0 2879,83' \
    -fill '#e8e9ec' -draw 'rectangle 0,84 519,1799' -font DejaVu-Sans -pointsize 26 "${text[@]}" \
    -fill "#$marker" -draw 'roundrectangle 940,600 1940,1200 24,24' -depth 8 "PNG24:$shot" ||
    fail "ImageMagick could not draw the screenshot"

# A display of its own, whichever number is free. It must not reset when the
# last client leaves: the next start would find no server while it does.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 2880x1800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.05
done
[[ -s $work/display ]] || fail "Xvfb gave no display number"
display=:$(head -n1 "$work/display")

# The starts share a home of their own (the developer's preferences and
# templates take no part), begun by one untimed start so that each timed one
# is a later start, not the first ever; and no session bus, so that no start
# hands its file to a running window.
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

measure() {
    local label=$1 scale=$2
    local results=$work/$label.txt
    : >"$results"
    local home=$work/home
    mkdir -p "$home"
    chmod 700 "$home"
    for run in $(seq 0 "$runs"); do
        local line
        line=$(env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY DISPLAY="$display" HOME="$home" \
            XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
            XDG_RUNTIME_DIR="$home" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/lustrelab-bench \
            QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
            "$probe" --marker "$marker" --idle-seconds 5 -- "$binary" "$shot" 2>"$work/probe.err") ||
            fail "$label run $run: $(grep -v '^QStandardPaths' "$work/probe.err" | tail -n 3)"
        ((run == 0)) && continue
        echo "$label run $run: $line"
        echo "$line" >>"$results"
    done
    field() { sed -n "s/.*\b$1=\([0-9.]*\).*/\1/p" "$results"; }
    printf '%s medians of %d: window %s ms, painted %s ms, image %s ms, peak %s MB (largest %s MB), idle %s ticks (most %s)\n' \
        "$label" "$runs" "$(field mapped_ms | median)" "$(field painted_ms | median)" "$(field image_ms | median)" \
        "$(field hwm_kb | median | awk '{printf "%.0f", $1 / 1024}')" \
        "$(field hwm_kb | sort -n | tail -n1 | awk '{printf "%.0f", $1 / 1024}')" \
        "$(field idle_ticks | median)" "$(field idle_ticks | sort -n | tail -n1)" | tee -a "$work/summary"
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
measure ratio1 1
measure ratio2 2
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
cat "$work/summary"
