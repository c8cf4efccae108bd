#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Zumbarel needs to build, run and test on Debian 12, then configures and builds
# the preset given (default or testing). Sourced by run.sh and test.sh.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools
    libpulse-dev libsndfile1-dev libsoxr-dev espeak-ng librsvg2-bin
    fonts-liberation2 fonts-ebgaramond
    qt6-translations-l10n qt6-wayland
)
# The desktop's validators, the Debian package's tools, lintian and man, for the installed copy's
# tests; FUSE, for a sound file whose open hangs.
test_packages=(pulseaudio pulseaudio-utils xvfb xauth libxcb-damage0-dev matchbox-window-manager
    desktop-file-utils appstream dpkg-dev lintian man-db libfuse3-dev fuse3)

zumbarel_setup() {
    local preset=$1
    local wanted=("${packages[@]}")
    [ "$preset" = testing ] && wanted+=("${test_packages[@]}")

    # One query for all of them: this runs at every start of the game.
    local installed missing=()
    installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null || true)
    for p in "${wanted[@]}"; do
        grep -q "^$p ii" <<<"$installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        if [ "$(id -u)" -eq 0 ]; then
            echo "Installing: ${missing[*]}"
            apt-get update -qq
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
        else
            echo "Zumbarel needs these Debian packages, which are not installed:" >&2
            echo "    sudo apt-get install -y ${missing[*]}" >&2
            echo "Run that line (or run this script as root), then run this script again." >&2
            exit 1
        fi
    fi

    local top
    top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    cd "$top"
    local build=build/$preset
    # Configured once: afterwards the build tool sees changed CMake files and configures again
    # by itself. Only a change of the presets calls for it here.
    if [ ! -f "$build/build.ninja" ] || [ CMakePresets.json -nt "$build/build.ninja" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    if [ -w "$build" ]; then
        cmake --build --preset "$preset" -j "$(nproc)"
    else
        # A read-only checkout: what was built there is what there is.
        echo "The build folder $top/$build is read-only; using it as it was built." >&2
    fi
}
