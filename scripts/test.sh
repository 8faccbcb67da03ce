#!/usr/bin/env bash
# Command 2: set up, build and run every test headless; non-zero on any failure.
# Runs the suite twice: a Release build, then one under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer.
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
# LeakSanitizer too. Mesa's EGL and its DRI driver are unloaded with the last
# GL window and drop what their globals held, about 2 KB each time,
# which LeakSanitizer can only blame on "<unknown module>" and so could never
# suppress. Loaded up front they stay for the process, and what they hold
# stays reachable. tests/lsan.supp names the system libraries that leak on
# their own; the game's own leaks are fixed, never listed there.
multiarch=$(gcc -print-multiarch)
resident_gl=""
for library in "/usr/lib/$multiarch/libEGL_mesa.so.0" "/usr/lib/$multiarch/dri/swrast_dri.so"; do
	if [ -e "$library" ]; then
		resident_gl="$resident_gl $library"
	fi
done
LD_PRELOAD="$resident_gl" \
	ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
	LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
	UBSAN_OPTIONS=print_stacktrace=1 \
	ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

# The headless runner must work on a fresh checkout.
(cd "$root/build/bin" && ./vortane-run --frames 5 --shot 4:runner-check.png --json >/dev/null)
echo "All tests passed."
