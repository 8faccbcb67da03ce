#!/usr/bin/env bash
# soak.sh N: plays N autopilot battles in a row in one process, pictures and
# all, and prints a row a battle: outcome, resident memory and the live
# object counts once the title is back. Fails when memory after the last
# battle is more than 5 % off its value after battle 2, or when any live
# count (the source pool's size aside) differs from its value after battle 1.
#
# VORTANE_SOAK_NO_RENDER=1  skip the pictures (--no-render): many times faster
# VORTANE_SOAK_BUILD=DIR    build folder under the repository (default: build)
# VORTANE_SOAK_SEED=S       the runner's seed (default: 1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

battles=${1:-}
if ! [[ "$battles" =~ ^[1-9][0-9]*$ ]]; then
	echo "usage: $0 N   (N battles, N >= 1)" >&2
	exit 2
fi
build=${VORTANE_SOAK_BUILD:-build}
seed=${VORTANE_SOAK_SEED:-1}

export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export ALSOFT_DRIVERS=null

# A fresh checkout gets the whole Release build; after that only the runner
# is brought up to date.
if [ ! -f "$root/$build/CMakeCache.txt" ]; then
	"$root/scripts/setup.sh"
	"$root/scripts/build.sh" "$build"
else
	cmake --build "$root/$build" -j "$(nproc)" --target vortane-run >/dev/null
fi

arguments=(--autopilot --battles "$battles" --battle-log --seed "$seed")
if [ "${VORTANE_SOAK_NO_RENDER:-0}" != 0 ]; then
	arguments+=(--no-render)
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
(cd "$root/$build/bin" && ./vortane-run "${arguments[@]}") >"$log" 2>&1 || status=$?

# field LINE NAME: the number or word after "NAME": in a battle-log line.
field() {
	sed -n "s/.*\"$2\":\([^,}]*\).*/\1/p" <<<"$1"
}

mapfile -t lines < <(grep '^{"battle":' "$log" || true)
# Every live count but the OpenAL source pool's size, which keeps the most
# sounds that ever overlapped and may grow in a later battle; the sources
# voices still hold (sourcesHeld) must come back like the rest.
counts=(textures renderbuffers buffers programs framebuffers effects effectInstances sourcesHeld voices)

# sources: OpenAL sources in the pool; held: those a voice holds now.
printf '%6s %5s %7s %8s %8s %7s %8s %12s %9s %7s %4s\n' battle won frames "RSS MiB" textures buffers programs framebuffers instances sources held
for line in "${lines[@]}"; do
	rss=$(field "$line" rssKiB)
	printf '%6s %5s %7s %8s %8s %7s %8s %12s %9s %7s %4s\n' "$(field "$line" battle)" "$(field "$line" won)" \
		"$(field "$line" battleFrames)" "$(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }')" \
		"$(field "$line" textures)" "$(field "$line" buffers)" "$(field "$line" programs)" \
		"$(field "$line" framebuffers)" "$(field "$line" effectInstances)" "$(field "$line" sources)" \
		"$(field "$line" sourcesHeld)"
done

failed=0
if [ "$status" -ne 0 ]; then
	echo "vortane-run exited with $status:" >&2
	tail -n 20 "$log" >&2
	failed=1
fi
if [ "${#lines[@]}" -ne "$battles" ]; then
	echo "FAIL: ${#lines[@]} of $battles battles played" >&2
	failed=1
fi
if [ "${#lines[@]}" -ge 1 ]; then
	first=${lines[0]}
	for ((i = 1; i < ${#lines[@]}; ++i)); do
		for name in "${counts[@]}"; do
			expected=$(field "$first" "$name")
			got=$(field "${lines[i]}" "$name")
			if [ "$got" != "$expected" ]; then
				echo "FAIL: battle $((i + 1)) ends with $name $got, battle 1 with $expected" >&2
				failed=1
			fi
		done
	done
fi
if [ "${#lines[@]}" -ge 2 ] && [ "${#lines[@]}" -eq "$battles" ]; then
	second=$(field "${lines[1]}" rssKiB)
	last=$(field "${lines[-1]}" rssKiB)
	if ! awk -v a="$second" -v b="$last" 'BEGIN { d = b - a; if (d < 0) d = -d; exit !(a > 0 && d <= a * 0.05) }'; then
		echo "FAIL: resident memory after the last battle ${last} KiB, after battle 2 ${second} KiB (over 5 % apart)" >&2
		failed=1
	fi
else
	echo "(fewer than two battles: no memory comparison)"
fi

if [ "$failed" -ne 0 ]; then
	exit 1
fi
echo "Soak passed: $battles battles, memory and live counts level."
