#!/usr/bin/env bash
# Fuzzes every reader of outside data with libFuzzer.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
#
# Builds the harnesses of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, then runs each for SECONDS
# (default 600), one after another. Each starts from its seed corpus in
# fuzz/corpus/<name>/ plus what earlier runs found; new inputs go to
# build-fuzz/corpus/<name>/, crashing inputs to build-fuzz/findings/<name>/.
# A finding belongs in the seed corpus once its reader is fixed, so that the
# replay test (ctest -L fuzz) keeps it fixed.
# FUZZ_JOBS=N runs N harnesses at once (default 1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-600}"
(($#)) && shift

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DLUSTRELAB_FUZZ_ENGINE=ON > /dev/null

if (($#)); then
    names=("$@")
else
    names=()
    for source in "$root"/fuzz/fuzz_*.cpp; do
        name="$(basename "$source" .cpp)"
        names+=("${name#fuzz_}")
    done
fi
cmake --build "$build" --parallel "$(nproc)" --target "${names[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

fuzz_one() {
    local name="$1"
    local corpus="$build/corpus/$name" findings="$build/findings/$name"
    mkdir -p "$corpus" "$findings"
    echo "fuzzing $name for ${seconds}s (log: $build/fuzz-$name.log)"
    # -timeout counts wall time: on a busy machine a generous one keeps a
    # starved run from passing for a hang, and a real hang still ends there.
    "$build/fuzz/fuzz_$name" "$corpus" "$root/fuzz/corpus/$name" \
        -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-60}" -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$findings/" -print_final_stats=1 > "$build/fuzz-$name.log" 2>&1 || true
    echo "$name: $(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$build/fuzz-$name.log" | tail -1)"
    grep -E '^stat::number_of_executed_units' "$build/fuzz-$name.log" || true
    ls "$findings"
}

jobs="${FUZZ_JOBS:-1}"
for name in "${names[@]}"; do
    while (($(jobs -rp | wc -l) >= jobs)); do
        wait -n
    done
    fuzz_one "$name" &
done
wait
found=$(find "$build/findings" -type f | wc -l)
echo "$found finding(s) under $build/findings"
((found == 0))
