#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds Zumbarel, then starts the game.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zumbarel_setup default
exec build/default/bin/zumbarel
