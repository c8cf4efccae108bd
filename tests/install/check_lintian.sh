#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian on the Debian package that debian_package left in folder $1: an error or a warning
# fails; informational tags are shown but pass.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(find "$1" -maxdepth 1 -name 'zumbarel_*.deb')
[ -n "$deb" ] || fail "no package in $1"
# lintian refuses to run as root unless told to, and the tests may run as root.
as_root=()
[ "$(id -u)" -ne 0 ] || as_root=(--allow-root)
lintian "${as_root[@]}" --info --display-info --fail-on error,warning "$deb" || fail "lintian"
echo "lintian: no error, no warning"
