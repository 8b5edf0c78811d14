# Shared by the scripts: package installation and the build folder.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${TORKA_BUILD_DIR:-$ROOT/build}
JOBS=${TORKA_JOBS:-$(nproc)}

# Everything the build, the tests and the tools need, all from Debian's archive.
BUILD_PACKAGES=(cmake make g++ pkg-config juce-modules-source libflac-dev libfreetype-dev
                libfontconfig1-dev libxcursor-dev libxinerama-dev libxrandr-dev libxext-dev
                fonts-liberation2)
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils lilv-utils lv2-dev sordi)

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
    log "Configuring $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "$@"
}

build() {
    log "Building $*"
    cmake --build "$BUILD_DIR" -j"$JOBS" "$@"
}
