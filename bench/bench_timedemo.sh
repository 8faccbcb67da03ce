#!/usr/bin/env bash
# The battle as players see it: a committed autopilot recording replayed with
# pictures at 1280 x 720 through the game's own loop. Reports the median and
# 95th percentile frame over the whole battle and over its heaviest 600
# frames, and the draw's phases (shadow, main pass, glow, overlay, effects)
# timed on every eighth frame with the device drained at their edges; those
# frames are left out of the frame figures.
#
# Then the same recording again with the stage-only view (the enemies, the
# shots and the effects play but leave no pixels): the same camera path, so
# the difference is what the characters cost to draw.
#
#   bench/bench_timedemo.sh [build folder] [recording] [--no-stage-only]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
recording=$(realpath "${2:-$root/bench/timedemo_battle.rec}")
stageOnly=1
[ "${3:-}" = "--no-stage-only" ] && stageOnly=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
export ALSOFT_DRIVERS=null

# Past the recording's last input, for the result picture's click to end the battle.
last=$(awk '$1 ~ /^[0-9]+$/ { if ($1 > m) m = $1 } END { print m + 0 }' "$recording")
frames=$((last + 30))

# play NAME [runner options]: frame log and battle frames under $work/NAME.
play() {
	local name=$1
	shift
	(cd "$build/bin" && ./vortane-run --input "$recording" --frames "$frames" --frame-log "$work/$name-frames.txt" \
		--phases 8 --trace-scenes --json "$@" >"$work/$name-run.txt" 2>"$work/$name-errors.txt") || {
		local status=$?
		echo "bench_timedemo: the $name run ended with status $status after $(grep -c '^frame ' "$work/$name-run.txt") frames:" >&2
		tail -5 "$work/$name-errors.txt" >&2
		exit 1
	}
	# Battle frames (scene 2) with their timings.
	awk '/^frame [0-9]+ scene 2$/ { print $2 }' "$work/$name-run.txt" >"$work/$name-battle.txt"
	awk 'NR == FNR { battle[$1] = 1; next } !/^#/ && ($1 in battle)' "$work/$name-battle.txt" \
		"$work/$name-frames.txt" >"$work/$name-battle-frames.txt"
}

percentiles() {  # median and p95 of the numbers on stdin
	sort -n | awk '{ v[NR] = $1 } END {
		if (NR == 0) { print "none"; exit }
		printf "median %.1f ms, p95 %.1f ms (%d frames)", v[int((NR + 1) / 2)], v[int((NR - 1) * 0.95 + 0.5) + 1], NR }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR > 0) print v[int((NR + 1) / 2)] }'; }

untimed() { awk '$6 == "-" { print $1, $5 }' "$work/$1-battle-frames.txt"; }

# The 600 consecutive battle frames with the largest mean frame time.
heaviestStart() {
	untimed "$1" | awk '{ f[NR] = $1; t[NR] = $2 } END {
		best = -1; start = 1; j = 1; sum = 0;
		for (i = 1; i <= NR; ++i) {
			sum += t[i];
			while (f[i] - f[j] >= 600) { sum -= t[j]; ++j }
			if (f[i] - f[1] >= 599 && sum / (i - j + 1) > best) { best = sum / (i - j + 1); start = f[j] }
		}
		print start }'
}

window() { untimed "$1" | awk -v s="$2" '$1 >= s && $1 < s + 600 { print $2 }'; }

phases() {
	awk '$6 != "-" { for (c = 6; c <= 10; ++c) sum[c] += $c; ++n }
		END { if (n == 0) exit; printf "  phases (mean of %d timed frames): shadow %.1f, main pass %.1f, glow %.1f, overlay %.1f, effects %.1f ms\n",
			n, sum[6] / n, sum[7] / n, sum[8] / n, sum[9] / n, sum[10] / n }' "$work/$1-battle-frames.txt"
}

play full
heaviest=$(heaviestStart full)
echo "timedemo: $(wc -l <"$work/full-battle.txt") battle frames of $(basename "$recording"), 1280x720"
echo "  whole battle:        $(untimed full | awk '{ print $2 }' | percentiles)"
echo "  heaviest 600 frames: $(window full "$heaviest" | percentiles) from frame $heaviest"
phases full
[ "$stageOnly" = 1 ] || exit 0

play stage --stage-only
echo "stage only (the same camera path; enemies, shots and effects leave no pixels):"
echo "  whole battle:        $(untimed stage | awk '{ print $2 }' | percentiles)"
echo "  the same 600 frames: $(window stage "$heaviest" | percentiles)"
phases stage
growth() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f %%", (a / b - 1) * 100 }'; }
echo "  the characters add:  $(growth "$(untimed full | awk '{ print $2 }' | median)" "$(untimed stage | awk '{ print $2 }' | median)") over the whole battle," \
	"$(growth "$(window full "$heaviest" | median)" "$(window stage "$heaviest" | median)") over the heaviest 600 frames (medians)"
