#!/usr/bin/env bash
# `lustrelab capture screen --copy` through the desktop portal on a headless
# sway (the waybed test bed), at 1600 x 1000 (scale 1) and 3200 x 2000
# (scale 2), and where its time goes:
#   command    the whole command, from the exec until it returned with wl-copy
#              serving the image (ROUNDS runs, median); with BEFORE_BINARY, an
#              earlier build too, the two taking turns
#   stages     bench_capture_stages in the same session: the portal's own time,
#              decoding its file, composing, encoding, the hand-over to wl-copy
#              (medians of its repetitions), and their sum after the portal's answer;
#              BM_AfterCapture runs those stages in one go (real and processor time)
# An idle `wtype -s 600000` keeps a virtual keyboard on the seat meanwhile.
#
#   bench/capture_wayland_stages.sh [BUILD_DIR [ROUNDS [LUSTRELAB_BINARY [BEFORE_BINARY]]]]
#   (build, 7, BUILD_DIR/lustrelab, none)
# WAYBED (default /work/shared/tools/waybed/waybed.sh) is the test bed's script.
set -euo pipefail

if [[ ${CAPTURE_BENCH_INNER:-} == 1 ]]; then # inside the test bed: what the outer run passed
    build=$CAPTURE_BENCH_BUILD
    rounds=$CAPTURE_BENCH_ROUNDS
    binary=$CAPTURE_BENCH_BINARY
    before=$CAPTURE_BENCH_BEFORE
else
    build=${1:-build}
    rounds=${2:-7}
    binary=${3:-$build/lustrelab}
    before=${4:-}
    [[ -z $before ]] || before=$(readlink -f "$before")
fi
stages=$build/bench/bench_capture_stages
waybed=${WAYBED:-/work/shared/tools/waybed/waybed.sh}

fail() {
    echo "capture_wayland_stages.sh: $*" >&2
    exit 1
}
[[ -x $binary ]] || fail "no $binary: cmake --build $build --target lustrelab"
[[ -x $stages ]] || fail "no $stages: cmake --build $build --target bench_capture_stages"
[[ -x $waybed ]] || fail "no test bed at $waybed (set WAYBED)"
for tool in sway wl-copy wtype; do command -v "$tool" >/dev/null || fail "$tool is missing"; done
binary=$(readlink -f "$binary")
stages=$(readlink -f "$stages")

if [[ ${CAPTURE_BENCH_INNER:-} == 1 ]]; then
    scale=$1
    [[ $scale == 1 ]] || swaymsg output HEADLESS-1 scale "$scale" >/dev/null
    sleep 0.5
    wtype -s 600000 &
    wtype_pid=$!
    trap 'kill $wtype_pid 2>/dev/null || true' EXIT
    # One untimed run: the portal starts its backends on the first request.
    "$binary" capture screen --copy >/dev/null 2>&1 || true
    median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
    timed() { # binary: milliseconds of one capture screen --copy
        local start end
        start=$(date +%s%N)
        "$1" capture screen --copy >/dev/null 2>"$HOME/err.txt" || fail "capture failed: $(cat "$HOME/err.txt")"
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
        sleep 0.3
    }
    times=() earlier=()
    for _ in $(seq "$rounds"); do
        times+=($(timed "$binary"))
        [[ -z $before ]] || earlier+=($(timed "$before"))
    done
    printf '  command median %s ms (runs: %s)\n' "$(median "${times[@]}")" "${times[*]}"
    [[ -z $before ]] || printf '  before: command median %s ms (runs: %s)\n' "$(median "${earlier[@]}")" "${earlier[*]}"
    "$stages" --benchmark_filter='Portal|Decode|Compose/ratio:'"$scale"'|EncodeCopy/ratio:'"$scale"'|HandOver/ratio:'"$scale"'|AfterCapture/ratio:'"$scale" \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
        awk 'function ms(v, unit) { return v * (unit == "us" ? 0.001 : (unit == "s" ? 1000 : 1)) }
             $1 ~ /_median$/ {name = $1; sub(/_median$/, "", name); t = ms($2, $3); c = ms($4, $5)
                              printf "  %-58s %8.1f ms  (processor %6.1f ms)\n", name, t, c
                              if (name !~ /Screenshot|AfterCapture/) { after += t; afterCpu += c } }
             END {printf "  %-58s %8.1f ms  (processor %6.1f ms)\n", "after the portal answered (sum of the stages)", after, afterCpu}'
    exit
fi

for config in 1600x1000:1 3200x2000:2; do
    size=${config%:*}
    scale=${config#*:}
    echo "$size, scale $scale"
    CAPTURE_BENCH_INNER=1 CAPTURE_BENCH_BUILD=$(readlink -f "$build") CAPTURE_BENCH_ROUNDS=$rounds \
        CAPTURE_BENCH_BINARY=$binary CAPTURE_BENCH_BEFORE=$before WAYBED_SIZE=$size WAYBED_QUIET=1 "$waybed" "$(readlink -f "$0")" "$scale" ||
        fail "the test bed failed for $size"
done
