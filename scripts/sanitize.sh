#!/usr/bin/env bash
# Builds the whole test suite with sanitizers in its own folder and runs it.
#
#   scripts/sanitize.sh                  AddressSanitizer + UndefinedBehaviorSanitizer, every test (build-asan/)
#   scripts/sanitize.sh thread [REGEX]   ThreadSanitizer over the tests of the parallel code (build-tsan/)
#
# Further arguments go to ctest. Built with clang, which also keeps the suite
# compiling with a second compiler. Qt itself is not instrumented: what its code
# does is neither checked nor reported, ours is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-address}"
(($#)) && shift

# Band rendering, the encoders, the removal fill, the composition queue and
# batch composing: every test that runs work on several threads. Batch
# composing is checked through the composition it shares with the others:
# cli_tst_process starts the binary with QProcess, whose vfork-style clone
# aborts clang 14's ThreadSanitizer runtime (a CHECK in its fork handling).
parallel_tests='render_tst_composition|io_tst_image_import|state_tst_app_state'

case "$mode" in
address)
    build="$root/build-asan"
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Leaks inside the uninstrumented system libraries Qt loads (see the file).
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
    ctest_args=()
    ;;
thread)
    build="$root/build-tsan"
    flags="-fsanitize=thread -fno-omit-frame-pointer"
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp"
    ctest_args=(-R "${1:-$parallel_tests}")
    (($#)) && shift
    ;;
*)
    echo "usage: scripts/sanitize.sh [address|thread [CTEST_REGEX]] [CTEST_ARGS...]" >&2
    exit 2
    ;;
esac

# -O1 and line tables only: what the sanitizers need for readable reports, and
# a good deal quicker to build than -O2 with full debug information.
# UBSan's vptr check refers to the type information of every class a pointer
# is cast to, also across our static libraries (io's AppDelegate holds the
# state's AppState), so they are linked as one group.
link='<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> -Wl,--start-group <LINK_LIBRARIES> -Wl,--end-group'
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DCMAKE_CXX_LINK_EXECUTABLE="$link" \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" > /dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --timeout 900 "${ctest_args[@]}" "$@"
