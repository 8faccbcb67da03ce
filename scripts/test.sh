#!/usr/bin/env bash
# Command 2: set up, build and run every test headless; non-zero on any failure.
# Runs the suite twice: a Release build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export ALSOFT_DRIVERS=null
jobs=$(nproc)

"$root/scripts/build.sh" build
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/build.sh" build-asan -DVORTANE_SANITIZE=ON -DVORTANE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# The headless runner must work on a fresh checkout.
(cd "$root/build/bin" && ./vortane-run --frames 5 --shot 4:runner-check.png --json >/dev/null)
echo "All tests passed."
