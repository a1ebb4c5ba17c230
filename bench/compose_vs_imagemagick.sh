#!/usr/bin/env bash
# Times `lustrelab compose` as a whole process (start-up, PNG decode,
# composition, PNG encode, exit) on 2880 x 1800 screenshots against an
# ImageMagick pipeline that draws the same kind of picture: a 135-degree
# two-colour gradient, the screenshot with 24 px rounded corners and a soft
# shadow (sigma 20, 25 % black, 20 px down), 128 px of padding, 3136 x 2056 out.
# Two inputs: the drawn sample (flat boxes, decodes fast) and a documentation
# page made from README.md by tools/make_page (anti-aliased text, rules,
# links: compresses and decodes like a captured page). Target: ours at least
# 40 times faster on both.
#
#   bench/compose_vs_imagemagick.sh [BUILD_DIR]     (default: build)
#
# BUILD_DIR must hold lustrelab, tools/make_sample and tools/make_page (a Release build gives
# the numbers worth quoting). Uses hyperfine when installed, else a loop over
# `date +%s%N`; prints the median of each and their ratio, and with hyperfine
# the processor time (user + system) of each, which a busy machine distorts
# far less than the wall time. The two pictures
# of each input are kept in BUILD_DIR/bench-compose/ for a look. RUNS and IM_RUNS set the
# number of timed runs (default 10 and 3; ImageMagick takes seconds a run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
lustrelab="$build/lustrelab"
make_sample="$build/tools/make_sample"
make_page="$build/tools/make_page"
runs="${RUNS:-10}"
im_runs="${IM_RUNS:-3}"

for tool in "$lustrelab" "$make_sample" "$make_page"; do
    [[ -x "$tool" ]] || { echo "missing $tool: build first" >&2; exit 1; }
done
im=""
for candidate in magick /usr/bin/convert convert; do
    if command -v "$candidate" > /dev/null; then im="$(command -v "$candidate")"; break; fi
done
[[ -n "$im" ]] || { echo "ImageMagick (convert) is not installed" >&2; exit 1; }

work="$build/bench-compose"
mkdir -p "$work"
"$make_sample" "$work/sample.png" 2880x1800 2> /dev/null
"$make_page" "$root/README.md" "$work/page.png" 2880x1800 2> /dev/null

quote() { local out="" word; for word in "$@"; do out+="$(printf '%q' "$word") "; done; echo "$out"; }

median_with_loop() { # runs the command N times, prints the median in seconds
    local n="$1"; shift
    local times=() start end
    "$@" > /dev/null 2>&1 # warm-up: page cache, fontconfig cache
    for ((i = 0; i < n; i++)); do
        start=$(date +%s%N); "$@" > /dev/null 2>&1; end=$(date +%s%N)
        times+=($((end - start)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {m = (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2; printf "%.4f\n", m/1e9}'
}

median_with_hyperfine() {
    local n="$1" json="$work/hyperfine-$2.json"; shift 2
    hyperfine --style basic --warmup 1 --runs "$n" --export-json "$json" "$(quote "$@")" >&2
    sed -n 's/.*"median": *\([0-9.e+-]*\).*/\1/p' "$json" | head -n 1
}

# Mean processor time (user + system) of a hyperfine run: unlike the wall
# time it hardly moves when other work shares the machine.
cpu_time() {
    local json="$work/hyperfine-$1.json"
    [[ -f "$json" ]] || { echo 0; return; }
    awk -F'[:,]' '/"user"/ { u = $2 } /"system"/ { s = $2 } END { printf "%.4f\n", u + s }' "$json"
}

measure() { # N NAME COMMAND...
    if command -v hyperfine > /dev/null; then median_with_hyperfine "$@"; else
        local n="$1"; shift 2; median_with_loop "$n" "$@"; fi
}

# bench NAME: times both pipelines on $work/NAME.png, prints the two medians and the ratio.
bench() {
    local name="$1" input="$work/$1.png"
    # The same look in our terms: padding 128 gives the same 3136 x 2056 canvas.
    local ours=("$lustrelab" compose "$input" -o "$work/$name-ours.png" --scale 1 --format png
                --set gradientPresetId=synthwave --set cornerRadius=24 --set padding=128
                --set shadowBlur=40 --set shadowOffsetY=20 --set shadowOpacity=0.25)
    local theirs=("$im" -size 3136x2056 -define gradient:angle=135 "gradient:#6366f1-#ec4899"
                  \( "$input" -alpha set \( +clone -alpha transparent -fill white
                     -draw "roundrectangle 0,0 2879,1799 24,24" \) -compose DstIn -composite
                     \( +clone -background black -shadow 25x20+0+20 \) +swap -background none
                     -compose Over -layers merge +repage \)
                  -gravity center -compose Over -composite -depth 8 "$work/$name-imagemagick.png")
    local ours_median theirs_median
    echo "input: $input (2880 x 1800, $(stat -c %s "$input") bytes)"
    ours_median=$(measure "$runs" "$name-lustrelab" "${ours[@]}")
    theirs_median=$(measure "$im_runs" "$name-imagemagick" "${theirs[@]}")
    echo "  lustrelab compose : median ${ours_median} s over $runs runs"
    echo "  ImageMagick       : median ${theirs_median} s over $im_runs runs ($im)"
    awk -v a="$ours_median" -v b="$theirs_median" -v n="$name" \
        'BEGIN { printf "  speed-up on %-6s: %.1fx (target: 40x)\n", n, b / a }'
    if command -v hyperfine > /dev/null; then
        awk -v a="$(cpu_time "$name-lustrelab")" -v b="$(cpu_time "$name-imagemagick")" \
            'BEGIN { printf "  processor time    : %.3f s against %.3f s, %.1fx less\n", a, b, b / a }'
    fi
    echo "  pictures: $work/$name-ours.png $work/$name-imagemagick.png"
}

bench sample
bench page
