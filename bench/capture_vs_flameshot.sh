#!/usr/bin/env bash
# `lustrelab capture screen --copy` against Flameshot's `full --clipboard`,
# side by side: on a private Xvfb of 2880 x 1800 with openbox, ROUNDS rounds
# that alternate which of the two goes first, each timed from outside by
# clipboard_probe (bench/clipboard_probe.cpp) until the CLIPBOARD's owner
# offers image/png. The screen shows a drawn desktop (title bar, sidebar,
# 48 lines of text), so that compressing it costs what a real one does.
# Both run in one private D-Bus session (Flameshot needs one).
#
# Prints every round, then the medians and their ratio for each Lustrelab
# variant against Flameshot, and then, on the same screen, where Lustrelab's
# time goes from the grab on (bench_capture_stages, when built: grab,
# compose, encode, hand-over, and all of them after the grab in one go):
#   default      no option, no scale factor (the screenshot's own 1x pixels)
#   hidpi        QT_SCALE_FACTOR=2 (a 2x screen: composed and copied at 2x)
#   before       BEFORE_BINARY at the default scale, when given: an earlier
#                build, measured in the same rounds
#
#   bench/capture_vs_flameshot.sh [BUILD_DIR [ROUNDS [LUSTRELAB_BINARY [BEFORE_BINARY]]]]
#   (build, 7, BUILD_DIR/lustrelab, none)
#
# Flameshot is the peer users compare with; it is not a dependency of
# Lustrelab: apt-get install flameshot for the measurement only.
set -euo pipefail

build=${1:-build}
rounds=${2:-7}
binary=${3:-$build/lustrelab}
before=${4:-}
probe=$build/bench/clipboard_probe

fail() {
    echo "capture_vs_flameshot.sh: $*" >&2
    exit 1
}
for tool in Xvfb openbox flameshot dbus-run-session convert display; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
done
[[ -x $binary ]] || fail "no $binary: cmake --build $build --target lustrelab"
[[ -x $probe ]] || fail "no $probe: cmake --build $build --target clipboard_probe"
[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ROUNDS must be a positive number, not '$rounds'"
binary=$(readlink -f "$binary")
probe=$(readlink -f "$probe")
if [[ -n $before ]]; then
    [[ -x $before ]] || fail "no $before"
    before=$(readlink -f "$before")
fi

if [[ ${CAPTURE_BENCH_INNER:-} != 1 ]]; then
    work=$(mktemp -d)
    pids=()
    cleanup() {
        for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
        for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
        rm -rf "$work"
    }
    trap cleanup EXIT INT TERM
    display_number=$((200 + RANDOM % 300))
    while [[ -e /tmp/.X11-unix/X$display_number ]]; do display_number=$((display_number + 1)); done
    Xvfb ":$display_number" -screen 0 2880x1800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display_number ]] && break; sleep 0.05; done
    export DISPLAY=":$display_number"
    HOME=$work openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # The desktop on the root window.
    text=()
    for line in $(seq 0 47); do
        y=$((150 + line * 34))
        text+=(-fill '#1e1e22' -annotate "+580+$y" "$line  The quick brown fox jumps over the lazy dog, again and again, line after line."
            -annotate "+40+$y" "Item $line")
    done
    convert -size 2880x1800 xc:'#f6f6f8' -fill '#34363c' -draw 'rectangle 0,0 2879,83' \
        -fill '#e8e9ec' -draw 'rectangle 0,84 519,1799' -font DejaVu-Sans -pointsize 26 "${text[@]}" \
        -fill '#3b82f6' -draw 'roundrectangle 1400,1300 2400,1600 30,30' "$work/desktop.png"
    display -window root "$work/desktop.png" || true # sets the background, then says 1
    mkdir -p "$work/home"
    CAPTURE_BENCH_INNER=1 HOME=$work/home XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/home/.config \
        dbus-run-session -- "$0" "$build" "$rounds" "$binary" "$before"
    exit
fi

unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR
cd "$HOME"
declare -A results
run() { # name command...
    local name=$1
    shift
    local line
    line=$("$probe" -- "$@" 2>/dev/null) || line="offer_ms=-1 exit_ms=-1"
    local offer=${line#offer_ms=}
    offer=${offer%% *}
    results[$name]+="$offer "
    printf '  %-10s %s\n' "$name" "$line"
    sleep 0.5 # whoever served the clipboard leaves
}
lustrelab_default() { run default "$binary" capture screen --copy; }
lustrelab_hidpi() { run hidpi env QT_SCALE_FACTOR=2 "$binary" capture screen --copy; }
peer() { run flameshot flameshot full --clipboard; }
earlier() { [[ -z $before ]] || run before "$before" capture screen --copy; }

# One untimed round of each warms the disk cache and Flameshot's settings.
"$probe" -- "$binary" capture screen --copy >/dev/null 2>&1 || true
"$probe" -- flameshot full --clipboard >/dev/null 2>&1 || true
for round in $(seq "$rounds"); do
    echo "round $round"
    if ((round % 2)); then
        earlier; lustrelab_default; peer; lustrelab_hidpi
    else
        lustrelab_hidpi; peer; lustrelab_default; earlier
    fi
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
peer_median=$(echo "${results[flameshot]}" | median)
echo
printf 'median until image/png is offered (ms), %s rounds\n' "$rounds"
printf '  %-52s%8.1f\n' "flameshot full --clipboard" "$peer_median"
names=(default hidpi)
[[ -z $before ]] || names=(before "${names[@]}")
for name in "${names[@]}"; do
    m=$(echo "${results[$name]}" | median)
    label="lustrelab capture screen --copy"
    [[ $name == hidpi ]] && label="$label (QT_SCALE_FACTOR=2)"
    [[ $name == before ]] && label="before: $label"
    printf '  %-52s%8.1f   ratio %.2f\n' "$label" "$m" "$(echo "$m / $peer_median" | bc -l)"
done

stages=$(dirname "$probe")/bench_capture_stages
if [[ -x $stages ]]; then
    echo
    echo "stages on this screen (medians of 3; real time, processor time of all threads)"
    "$stages" --benchmark_filter='Grab|Compose|EncodeCopy|HandOver|AfterCapture' --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true 2>/dev/null | awk '$1 ~ /_median$/ {sub(/_median$/, "", $1); printf "  %-62s %8s %s  %8s %s\n", $1, $2, $3, $4, $5}'
fi
