#!/usr/bin/env bash
# Frames a second of a whole autopilot battle without pictures: the runner's
# --no-render device checks every call and rasterises nothing. The start-up
# (loading the title and the fullscreen question) is timed apart and taken
# off. Usage: bench/bench_no_render_battle.sh [build folder] [seed]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seed=${2:-7}
export SDL_VIDEODRIVER=offscreen
export ALSOFT_DRIVERS=null
cd "$build/bin"

seconds() { date +%s.%N; }

start=$(seconds)
./vortane-run --no-render --seed "$seed" --frames 1 >/dev/null 2>&1
startup=$(awk -v a="$start" -v b="$(seconds)" 'BEGIN { print b - a }')

start=$(seconds)
report=$(./vortane-run --autopilot --no-render --seed "$seed" --json 2>/dev/null)
whole=$(awk -v a="$start" -v b="$(seconds)" 'BEGIN { print b - a }')

frames=$(sed -n 's/.*"frames":\([0-9]*\).*/\1/p' <<<"$report")
won=$(sed -n 's/.*"won":\([a-z]*\).*/\1/p' <<<"$report")
battle=$(sed -n 's/.*"battleFrames":\([0-9]*\).*/\1/p' <<<"$report")
median=$(sed -n 's/.*"frame":{"median":\([0-9.]*\).*/\1/p' <<<"$report")
fps=$(awk -v f="$frames" -v w="$whole" -v s="$startup" 'BEGIN { printf "%d", f / (w - s) }')
echo "seed $seed: won $won, battleFrames $battle, $frames frames in $whole s (start-up $startup s): $fps frames/s;" \
	"median frame $median ms"
