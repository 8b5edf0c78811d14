#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds everything, runs every test
# through CTest (unit tests, the built VST3 and LV2 in real hosts, windows under Xvfb)
# and a bounded fuzzing run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start=$(date +%s)
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure -DTORKA_BUILD_TESTS=ON -DTORKA_BUILD_HOST=ON -DTORKA_BUILD_BENCHMARKS=ON -DTORKA_FUZZ=OFF -DTORKA_SANITIZERS=
build

log "Running the tests"
export TORKA_TEST_OUTPUT=${TORKA_TEST_OUTPUT:-$ROOT/out/test-output}
mkdir -p "$TORKA_TEST_OUTPUT"
(cd "$(build_dir)" && ctest --output-on-failure -j"$JOBS" --timeout 900)

log "Fuzzing the state and preset readers for a minute each (clang, AddressSanitizer, UBSan)"
fuzz 60

echo "Test pictures and renders: $TORKA_TEST_OUTPUT"
echo "Test command took $(( $(date +%s) - start )) s"
