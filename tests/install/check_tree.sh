#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks an installed tree (prefix /usr under DESTDIR $1): every file a desktop and a player
# need, in its place, valid for the desktop's own tools.
set -euo pipefail
root=$1/usr
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$root/lib/zumbarel/zumbarel" ] || fail "no executable in lib/zumbarel"
sounds=$(find "$root/lib/zumbarel" -maxdepth 1 -name '*.wav' | wc -l)
[ "$sounds" -eq 46 ] || fail "$sounds sounds beside the executable, not 46"
[ -L "$root/games/zumbarel" ] || fail "games/zumbarel is not a symbolic link"
[ "$(readlink -f "$root/games/zumbarel")" = "$(readlink -f "$root/lib/zumbarel/zumbarel")" ] ||
    fail "games/zumbarel does not lead to the executable"

desktop=$root/share/applications/zumbarel.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Categories=Game;LogicGame;' "$desktop" || fail "categories"
grep -q '^Comment\[es\]=' "$desktop" || fail "no Spanish comment"
grep -qx 'Icon=zumbarel' "$desktop" || fail "icon name"
# The program reports this id to the desktop, which finds the menu entry by it.
grep -q 'setDesktopFileName(QStringLiteral("zumbarel"))' "$2/src/app/main.cpp" ||
    fail "the program does not report the desktop file's name"

metainfo=$(find "$root/share/metainfo" -name '*.metainfo.xml')
[ "$(echo "$metainfo" | wc -l)" -eq 1 ] || fail "not one metainfo file"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$3\"" "$metainfo" || fail "no release $3"
grep -q '<p xml:lang="es">' "$metainfo" || fail "no Spanish description"
grep -q '<launchable type="desktop-id">zumbarel.desktop</launchable>' "$metainfo" || fail "launchable"
# Software catalogues and menus list the game in the same place.
categories=$(grep -o '<category>[^<]*' "$metainfo" | sed 's/<category>//' | tr '\n' ';')
grep -qxF "Categories=$categories" "$desktop" || fail "the metainfo's categories $categories differ from the menu's"

[ -s "$root/share/icons/hicolor/scalable/apps/zumbarel.svg" ] || fail "no scalable icon"
for size in 16 32 48 64 128 256; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/zumbarel.png
    [ -s "$png" ] || fail "no $size px icon"
    # Width and height, big-endian, at bytes 16 and 20 of a PNG's header.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w" -eq "$size" ] && [ "$h" -eq "$size" ] || fail "the $size px icon is ${w}x${h}"
done

man=$root/share/man/man6/zumbarel.6.gz
[ -s "$man" ] || fail "no man page"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "man page: $warnings"
doc=$root/share/doc/zumbarel
[ -s "$doc/copyright" ] || fail "no copyright file"
# Every folder of the source names its licence, so a new one cannot come in unlicensed. The
# checkout's own list, where there is one, leaves out build folders; hidden folders fall under *.
if ! folders=$(git -C "$2" ls-files 2>/dev/null | cut -s -d/ -f1); then
    folders=$(find "$2" -mindepth 1 -maxdepth 1 -type d ! -name build -printf '%P\n')
fi
for folder in $(echo "$folders" | grep -v '^\.' | sort -u); do
    grep -Eq "^Files:(.*[[:space:]])?$folder/\*([[:space:]]|\$)" "$doc/copyright" || fail "no Files paragraph for $folder/ in the copyright file"
done
changelog=$doc/changelog.gz
[ -s "$changelog" ] || fail "no changelog"
top=$(gzip -dc "$changelog" | dpkg-parsechangelog -l- -S Version) || fail "changelog unreadable"
[ "$top" = "$3" ] || fail "the changelog's latest entry is $top, not $3"
grep -q "^## $3 " "$2/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $3"
echo "installed tree complete"
