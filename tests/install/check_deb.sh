#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from build folder $1 into $2 and inspects it: the installed tree's
# files under /usr, the version, and dependencies computed from the linked libraries.
set -euo pipefail
build=$1 out=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; fail "cpack"; }
deb=$(find "$out" -maxdepth 1 -name 'zumbarel_*.deb')
[ -n "$deb" ] || fail "no package made"

info=$(dpkg-deb -I "$deb")
echo "$info"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zumbarel ] || fail "package name"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), not $version"
[ "$(field Section)" = games ] || fail "section"
depends=$(field Depends)
names=$(echo "$depends" | tr ',' '\n' | awk '{print $1}')
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libpulse0 libsndfile1 \
    qt6-qpa-plugins; do
    echo "$names" | grep -qxF "$library" || fail "no dependency on $library: $depends"
done
# Computed, so with the versions the build was linked against.
echo "$depends" | grep -Eq 'libqt6core6[^,]*\(>= ' || fail "no version in the computed dependencies: $depends"
# Any server that speaks PulseAudio's protocol plays the sounds.
recommends=$(field Recommends)
[[ ", $recommends," == *", pulseaudio | pipewire-pulse,"* ]] || fail "no sound server recommended: $recommends"
echo "$info" | grep -q 'aprende código Morse de oído' || fail "no Spanish description"
echo "$info" | grep -q 'learn Morse code by ear' || fail "no English description"

files=$(dpkg-deb -c "$deb" | awk '{print $6, $7, $8}')
echo "$files"
for path in ./usr/lib/zumbarel/zumbarel ./usr/share/applications/zumbarel.desktop \
    ./usr/share/icons/hicolor/scalable/apps/zumbarel.svg ./usr/share/icons/hicolor/256x256/apps/zumbarel.png \
    ./usr/share/icons/hicolor/16x16/apps/zumbarel.png ./usr/share/man/man6/zumbarel.6.gz \
    ./usr/lib/zumbarel/brunza.wav; do
    echo "$files" | grep -q "^$path\( \|$\)" || fail "$path missing from the package"
done
echo "$files" | grep -q '^./usr/games/zumbarel -> ../lib/zumbarel/zumbarel' || fail "launcher link"
echo "$files" | grep -q '^./usr/share/metainfo/.*\.metainfo\.xml' || fail "metainfo"
[ "$(echo "$files" | grep -c '^./usr/lib/zumbarel/.*\.wav')" -eq 46 ] || fail "not 46 sounds"
! echo "$files" | grep -v '^./usr' | grep -q . || fail "files outside /usr"
! echo "$files" | grep -q 'topten.txt' || fail "a player's high scores in the package"
echo "package complete"
