#!/usr/bin/env bash
# The battle as players see it: a committed autopilot recording replayed with
# pictures at 1280 x 720 through the game's own loop. Reports the median and
# 95th percentile frame over the whole battle and over its heaviest 600
# frames, and the draw's phases (shadow, main pass, glow, overlay, effects)
# timed on every eighth frame with the device drained at their edges; those
# frames are left out of the frame figures.
#
#   bench/bench_timedemo.sh [build folder] [recording]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
recording=$(realpath "${2:-$root/bench/timedemo_battle.rec}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
export ALSOFT_DRIVERS=null

# Past the recording's last input, for the result picture's click to end the battle.
last=$(awk '$1 ~ /^[0-9]+$/ { if ($1 > m) m = $1 } END { print m + 0 }' "$recording")
frames=$((last + 30))
(cd "$build/bin" && ./vortane-run --input "$recording" --frames "$frames" --frame-log "$work/frames.txt" \
	--phases 8 --trace-scenes --json >"$work/run.txt" 2>/dev/null)

# Battle frames (scene 2) with their timings.
awk '/^frame [0-9]+ scene 2$/ { print $2 }' "$work/run.txt" >"$work/battle.txt"
awk 'NR == FNR { battle[$1] = 1; next } !/^#/ && ($1 in battle)' "$work/battle.txt" "$work/frames.txt" \
	>"$work/battle-frames.txt"

percentiles() {  # median and p95 of the numbers on stdin
	sort -n | awk '{ v[NR] = $1 } END {
		if (NR == 0) { print "none"; exit }
		printf "median %.1f ms, p95 %.1f ms (%d frames)", v[int((NR + 1) / 2)], v[int((NR - 1) * 0.95 + 0.5) + 1], NR }'
}

untimed() { awk '$6 == "-" { print $1, $5 }' "$work/battle-frames.txt"; }

echo "timedemo: $(wc -l <"$work/battle.txt") battle frames of $(basename "$recording"), 1280x720"
echo "  whole battle:        $(untimed | awk '{ print $2 }' | percentiles)"
# The 600 consecutive battle frames with the largest mean frame time.
heaviest=$(untimed | awk '{ f[NR] = $1; t[NR] = $2 } END {
	best = -1; start = 1; j = 1; sum = 0;
	for (i = 1; i <= NR; ++i) {
		sum += t[i];
		while (f[i] - f[j] >= 600) { sum -= t[j]; ++j }
		if (f[i] - f[1] >= 599 && sum / (i - j + 1) > best) { best = sum / (i - j + 1); start = f[j] }
	}
	print start }')
echo "  heaviest 600 frames: $(untimed | awk -v s="$heaviest" '$1 >= s && $1 < s + 600 { print $2 }' | percentiles)" \
	"from frame $heaviest"
awk '$6 != "-" { for (c = 6; c <= 10; ++c) sum[c] += $c; ++n }
	END { if (n == 0) exit; printf "  phases (mean of %d timed frames): shadow %.1f, main pass %.1f, glow %.1f, overlay %.1f, effects %.1f ms\n",
		n, sum[6] / n, sum[7] / n, sum[8] / n, sum[9] / n, sum[10] / n }' "$work/battle-frames.txt"
