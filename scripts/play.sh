#!/usr/bin/env bash
# Command 1: set up, build a Release and start the game.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build -DVORTANE_TESTS=OFF -DVORTANE_BENCH=OFF
exec "$root/build/bin/vortane"
