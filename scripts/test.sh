#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds everything, runs every test
# through CTest (unit tests, the built VST3 and LV2 in real hosts, windows under Xvfb).
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start=$(date +%s)
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure -DTORKA_BUILD_TESTS=ON -DTORKA_BUILD_BENCHMARKS=ON
build

log "Running the tests"
export TORKA_TEST_OUTPUT=${TORKA_TEST_OUTPUT:-$ROOT/out/test-output}
mkdir -p "$TORKA_TEST_OUTPUT"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$JOBS" --timeout 900
echo "Test pictures and renders: $TORKA_TEST_OUTPUT"
echo "Test command took $(( $(date +%s) - start )) s"
