# Shared by the scripts: package installation and the build folder.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${TORKA_JOBS:-$(nproc)}

# The build folder; TORKA_BUILD_DIR=... before a call to configure or build picks another.
build_dir() { echo "${TORKA_BUILD_DIR:-$ROOT/build}"; }

# Everything the build, the tests and the tools need, all from Debian's archive.
BUILD_PACKAGES=(cmake make g++ pkg-config juce-modules-source libflac-dev libfreetype-dev
                libfontconfig1-dev libxcursor-dev libxinerama-dev libxrandr-dev libxext-dev
                fonts-liberation2)
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils lilv-utils lv2-dev sordi
               clang libclang-rt-14-dev)

log() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    log "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}" ||
        { "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; }
}

configure() {
    log "Configuring $(build_dir)"
    cmake -S "$ROOT" -B "$(build_dir)" -DCMAKE_BUILD_TYPE=Release "$@"
}

build() {
    log "Building $*"
    cmake --build "$(build_dir)" -j"$JOBS" "$@"
}

# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on all code, in build/fuzz) and runs each for the given number of seconds.
fuzz() {
    local seconds=$1
    CC=clang CXX=clang++ TORKA_BUILD_DIR=$ROOT/build/fuzz configure -DTORKA_FUZZ=ON -DTORKA_FUZZ_SECONDS="$seconds" \
        -DTORKA_BUILD_TESTS=OFF -DTORKA_BUILD_HOST=OFF -DTORKA_BUILD_BENCHMARKS=OFF
    TORKA_BUILD_DIR=$ROOT/build/fuzz build --target fuzz_state fuzz_preset
    (cd "$ROOT/build/fuzz" && ctest --output-on-failure -L fuzz)
}
