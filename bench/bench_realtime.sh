#!/usr/bin/env bash
# The game's clock with slow pictures: a whole autopilot battle with pictures
# and --realtime, where every picture that takes longer than the 16 ms pace
# is followed by up to three frames run without one. Reports how many frames
# a second the battle simulated (the goal is the game's own 62.5), how many
# drew their picture, and whether the trace is the one the same battle gives
# without --realtime (and without pictures, which the tests show changes
# nothing).
#
#   bench/bench_realtime.sh [build folder] [seed]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seed=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
export ALSOFT_DRIVERS=null
cd "$build/bin"

./vortane-run --autopilot --realtime --seed "$seed" --json --trace "$work/realtime.jsonl" --trace-scenes \
	--frame-log "$work/frames.txt" >"$work/realtime.txt" 2>/dev/null
./vortane-run --autopilot --no-render --seed "$seed" --json --trace "$work/plain.jsonl" >"$work/plain.txt" 2>/dev/null

# The battle's frames (scene 2), each with its whole length, pacing sleep included.
awk '/^frame [0-9]+ scene 2$/ { print $2 }' "$work/realtime.txt" >"$work/battle.txt"
awk 'NR == FNR { battle[$1] = 1; next } !/^#/ && ($1 in battle) { n++; ms += $5; pictured += $2 }
	END { printf "battle: %d frames in %.1f s: %.2f frames/s simulated (%.1f %% of 62.5), %d drew their picture (%.1f a second)\n",
		n, ms / 1000, n / (ms / 1000), n / (ms / 1000) / 62.5 * 100, pictured, pictured / (ms / 1000) }' \
	"$work/battle.txt" "$work/frames.txt"
echo "with --realtime: $(tail -1 "$work/realtime.txt" | sed -n 's/.*\("won":[a-z]*,"battleFrames":[0-9]*,"playerHitPointsLeft":[0-9.]*\).*/\1/p')"
echo "plain:           $(sed -n 's/.*\("won":[a-z]*,"battleFrames":[0-9]*,"playerHitPointsLeft":[0-9.]*\).*/\1/p' "$work/plain.txt")"
if cmp -s "$work/realtime.jsonl" "$work/plain.jsonl"; then
	echo "traces: identical, $(wc -l <"$work/plain.jsonl") lines"
else
	echo "traces: DIFFER ($(cmp "$work/realtime.jsonl" "$work/plain.jsonl" 2>&1 | head -1))"
	exit 1
fi
