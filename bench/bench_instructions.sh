#!/usr/bin/env bash
# Where a battle picture's work goes, counted instead of timed. Timings on a
# shared machine drift by 10-20 % within minutes; instruction counts do not.
# Replays the committed recording twice under callgrind with the software
# rasterizer on the calling thread (LP_NUM_THREADS=0): once drawing the
# pictures of frames FIRST to FIRST+COUNT-1, once drawing none. The game is
# deterministic, so the difference between the two runs is exactly the work
# of those pictures. Reports it per picture:
#   - jit: code the driver compiled at run time (shaders, blending, vertex
#     fetch), which callgrind cannot name;
#   - driver: the rasterizer's own code (triangle set-up, binning, blocks);
#   - game: this program (effects, draw calls, state);
#   - other: every other library;
# then the heaviest compiled functions with their calls per picture. For a
# fragment shader a call is one 4 x 4 block of pixels (a block the triangle
# only partly covers costs a whole call), so calls times the cost of a call
# shows what a shader costs and why.
#
#   bench/bench_instructions.sh [build folder] [first frame] [count] [recording]
#
# Defaults: frames 7178-7187 of bench/timedemo_battle.rec, the boss fight.
# Needs valgrind; a run takes a few minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
first=${2:-7178}
count=${3:-10}
recording=$(realpath "${4:-$root/bench/timedemo_battle.rec}")
if ! command -v valgrind >/dev/null || ! command -v callgrind_annotate >/dev/null; then
	echo "bench_instructions: needs valgrind (apt-get install valgrind)" >&2
	exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
export LP_NUM_THREADS=0
# No sound device: a mixer thread runs by the wall clock, which valgrind
# stretches differently in the two runs.
export ALSOFT_DRIVERS=none
end=$((first + count))

count_run() {  # NAME FIRST-PICTURED
	(cd "$build/bin" && valgrind --tool=callgrind --smc-check=all-non-file --callgrind-out-file="$work/$1.cg" \
		./vortane-run --input "$recording" --frames "$end" --pictures-from "$2" >/dev/null 2>"$work/$1.log") ||
		{ echo "bench_instructions: the $1 run failed:" >&2; tail -5 "$work/$1.log" >&2; exit 1; }
	callgrind_annotate --threshold=100 "$work/$1.cg" >"$work/$1.flat"
	callgrind_annotate --threshold=100 --tree=calling "$work/$1.cg" >"$work/$1.tree"
}
count_run pictures "$first"
count_run plain "$end"

# Self instructions by group: JIT code carries no file and no object.
groups() {
	awk '/^ *[0-9,]+ +\(/ && !/PROGRAM TOTALS/ {
		v = $1; gsub(",", "", v)
		if ($0 ~ /\[\?\?\?\]/) g = "jit"
		else if ($0 ~ /_dri\.so\]/) g = "driver"
		else if ($0 ~ /vortane-run\]/) g = "game"
		else g = "other"
		sum[g] += v
	} END { for (g in sum) print g, sum[g] }' "$1"
}
groups "$work/pictures.flat" >"$work/pictures.groups"
groups "$work/plain.flat" >"$work/plain.groups"
echo "frames $first-$((end - 1)) of $(basename "$recording"): instructions per picture (millions)"
awk -v n="$count" 'NR == FNR { plain[$1] = $2; next } { d = ($2 - plain[$1]) / n / 1e6; total += d; line[$1] = d }
	END {
		printf "  total %.1f:", total
		split("jit driver game other", order, " ")
		for (i = 1; i <= 4; ++i) printf " %s %.1f", order[i], line[order[i]]
		printf "\n"
	}' "$work/plain.groups" "$work/pictures.groups"

# Compiled functions of the pictured run: self cost, and calls summed over
# every caller. What the plain run compiles (nothing draws there) is absent.
echo "heaviest compiled functions (self, per picture):"
awk '
	/^ *[0-9,]+ +\([^)]*\) +\* +\?\?\?:0x[0-9a-f]+ \[\?\?\?\]/ {
		v = $1; gsub(",", "", v); match($0, /0x[0-9a-f]+/); self[substr($0, RSTART, RLENGTH)] = v; next }
	/^ *[0-9,]+ +\([^)]*\) +> +\?\?\?:0x[0-9a-f]+[^ ]* \([0-9,]+x\) \[\?\?\?\]/ {
		match($0, /0x[0-9a-f]+/); f = substr($0, RSTART, RLENGTH)
		match($0, /\([0-9,]+x\)/); c = substr($0, RSTART + 1, RLENGTH - 3); gsub(",", "", c); calls[f] += c }
	END { for (f in self) printf "%s %.0f %.0f\n", f, self[f], calls[f] }' "$work/pictures.tree" >"$work/compiled.txt"
sort -k2,2nr "$work/compiled.txt" | awk -v n="$count" 'NR <= 12 {
	perCall = $3 > 0 ? $2 / $3 : 0
	printf "  %s %8.1f M  %8.0f calls  %6.0f a call\n", $1, $2 / n / 1e6, $3 / n, perCall }'
