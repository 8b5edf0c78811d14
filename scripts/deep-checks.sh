#!/usr/bin/env bash
# The deeper checks, too slow for every CI run:
#   1. the whole test suite built with AddressSanitizer, UndefinedBehaviorSanitizer and
#      LeakSanitizer (the editor opened and closed 100 times among them);
#   2. the threads test built with ThreadSanitizer: audio, host automation, the editor,
#      state and presets all at once;
#   3. each libFuzzer target for FUZZ_MINUTES minutes (default 10) from the seeds; crash
#      inputs land in tests/fuzz/regressions/, which the unit tests replay.
# Each step has its own build folder under build/. Run one step: deep-checks.sh asan|tsan|fuzz
set -euo pipefail
source "$(dirname "$0")/lib.sh"

steps=${1:-"asan tsan fuzz"}
minutes=${FUZZ_MINUTES:-10}
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

for step in $steps; do
    case $step in
    asan)
        log "AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer: the whole suite"
        TORKA_BUILD_DIR=$ROOT/build/asan configure -DTORKA_SANITIZERS=address,undefined -DTORKA_BUILD_BENCHMARKS=OFF
        TORKA_BUILD_DIR=$ROOT/build/asan build
        (cd "$ROOT/build/asan" &&
            ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
            LSAN_OPTIONS=suppressions=$ROOT/tests/support/lsan.supp \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            ctest --output-on-failure -j"$JOBS" --timeout 1800)
        ;;
    tsan)
        log "ThreadSanitizer: the threads test"
        TORKA_BUILD_DIR=$ROOT/build/tsan configure -DTORKA_SANITIZERS=thread -DTORKA_BUILD_BENCHMARKS=OFF -DTORKA_BUILD_HOST=OFF
        TORKA_BUILD_DIR=$ROOT/build/tsan build --target torka_gui_tests
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$ROOT/tests/support/tsan.supp" \
            "$ROOT/tests/support/with-xvfb.sh" "$ROOT/build/tsan/tests/torka_gui_tests" --gtest_filter='ThreadSafety.*'
        ;;
    fuzz)
        log "libFuzzer, $minutes minutes per target"
        fuzz $((minutes * 60))
        ;;
    *)
        echo "unknown step $step (asan, tsan or fuzz)"
        exit 2
        ;;
    esac
done
log "Deep checks passed"
