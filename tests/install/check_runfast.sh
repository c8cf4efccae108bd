#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The set-up behind scripts/run.sh, called again on a built tree ($1, preset $2, built in $3): it
# neither configures nor builds again, and it goes through from a read-only checkout.
set -euo pipefail
top=$1 preset=$2 built=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
cache=$top/build/$preset/CMakeCache.txt

# The set-up knows only the preset's own folder: a tree built anywhere else is not what it starts.
if [ "$(realpath "$built")" != "$(realpath -m "$top/build/$preset")" ]; then
    echo "built in $built, not in the preset's build/$preset: the set-up's second start is not tried"
    exit 77
fi

before=$(stat -c %Y "$cache")
out=$(bash -c 'source "$1/scripts/setup.sh" && zumbarel_setup "$2"' sh "$top" "$preset" 2>&1) || fail "$out"
echo "$out"
echo "$out" | grep -q 'no work to do' || fail "the build step had work to do"
[ "$(stat -c %Y "$cache")" = "$before" ] || fail "it configured again"

# The checkout read-only, in a mount namespace of this test's own.
if ! unshare -m true 2>/dev/null; then
    echo "no mount namespace here: the read-only checkout is not tried"
    exit 77
fi
out=$(unshare -m bash -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" &&
    source "$1/scripts/setup.sh" && zumbarel_setup "$2"' sh "$top" "$preset" 2>&1) ||
    fail "read-only checkout: $out"
echo "$out"
echo "$out" | grep -q 'read-only' || fail "the read-only build folder was not noticed"
echo "second start: no configuring, no building; read-only checkout fine"
