#!/bin/sh
# Rerecords the regression replay and rewrites its expected states: the
# autopilot plays seed 7 from the title into the walkers' yard and its first
# fights, and every hundredth frame of its trace, and the last, become the
# expected states. Run it after a change that alters the game's behaviour on
# purpose, and commit the two files with that change, saying why.
#
# usage: tests/replay/remake.sh [BIN_DIR]    (default: build/bin)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/bin}
seed=7
frames=1900

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT

"$bin/vortane-run" --autopilot --no-render --seed "$seed" --frames "$frames" \
	--record "$here/walkers_yard.rec" --trace "$trace" >/dev/null
awk -v last="$frames" 'NR % 100 == 1 || NR == last' "$trace" >"$here/walkers_yard.expected"
echo "rewrote walkers_yard.rec ($(wc -l <"$here/walkers_yard.rec") lines) and walkers_yard.expected ($(wc -l <"$here/walkers_yard.expected") states)"
