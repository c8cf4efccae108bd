#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds Zumbarel with its tests, then runs every test headless.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zumbarel_setup testing
# The tests are independent (each makes its own folders and sound server), so they run side by side.
exec ctest --preset testing --parallel "$(nproc)"
