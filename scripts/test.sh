#!/usr/bin/env bash
# Sets up and builds Zumbarel with its tests, then runs every test headless.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zumbarel_setup testing
exec ctest --preset testing
