#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, starts the
# installed game headless from another folder for a few seconds, then
# removes the package and checks that none of its files are left.
#
#   scripts/test_package.sh [BUILD_DIR]   (default: build-package)
#
# Needs root or sudo: the package really is installed, and removed again.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-package}")
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
run_seconds=8

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
	sudo_cmd=(sudo)
fi

fail() {
	echo "test_package: FAIL: $*" >&2
	exit 1
}

"$root/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
	nice -n 19 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORTANE_TESTS=OFF -DVORTANE_BENCH=OFF
fi
nice -n 19 cmake --build "$build" -j2 --target vortane
rm -f "$build"/vortane_*.deb
(cd "$build" && nice -n 19 cpack -G DEB)
deb=$(ls "$build"/vortane_*.deb)

echo "== $deb"
dpkg-deb --info "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libsdl2 libepoxy0 libopenal1 libembree libgl1-mesa-dri; do
	[[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb --field "$deb" Section)" = games ] || fail "section is not games"
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -E '/usr/(bin|share/(applications|metainfo|icons))/' || true
if dpkg-deb --contents "$deb" | grep -q 'vortane-run\|test_\|bench_'; then
	fail "the package carries the runner, a test or a benchmark"
fi

echo "== installing"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$deb"
dpkg-query -W vortane
[ -x /usr/bin/vortane ] || fail "/usr/bin/vortane missing"
[ -f /usr/share/vortane/data/map/Map_01.route ] || fail "data missing under /usr/share/vortane"
[ -f /usr/share/vortane/Shader/Modelsahder.fx ] || fail "shaders missing under /usr/share/vortane"
desktop-file-validate /usr/share/applications/io.github.vortane.vortane.desktop
appstreamcli validate --no-net /usr/share/metainfo/io.github.vortane.vortane.metainfo.xml
for size in 16 32 48 64 128 256; do
	[ -f "/usr/share/icons/hicolor/${size}x${size}/apps/vortane.png" ] || fail "no ${size}x${size} icon"
done

echo "== running /usr/bin/vortane for $run_seconds s from another folder"
work=$(mktemp -d /tmp/vortane-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
# The title waits for a click, so the game is killed once it had time to
# draw; strace records which files it opened.
(cd "$work" && strace -f -qq -e trace=openat -o opened.log \
	timeout -s KILL "$run_seconds" /usr/bin/vortane --trace trace.jsonl) || true
frames=$(wc -l < "$work/trace.jsonl")
echo "trace: $frames frames; first: $(head -n 1 "$work/trace.jsonl"); last: $(tail -n 1 "$work/trace.jsonl")"
[ "$frames" -ge 3 ] || fail "the installed game drew only $frames frames"
head -n 1 "$work/trace.jsonl" | grep -q '^{"frame":0,"scene":1,' || fail "the trace does not start on the title"
opened=$(grep -c '"/usr/share/vortane/[^"]*", O_RDONLY) = [0-9]' "$work/opened.log" || true)
echo "files opened under /usr/share/vortane: $opened"
grep -q '"/usr/share/vortane/data/Texture/Title/Title.png", O_RDONLY) = [0-9]' "$work/opened.log" ||
	fail "the game did not read its title picture from /usr/share/vortane"

echo "== removing"
"${sudo_cmd[@]}" dpkg -r vortane
if dpkg-query -W -f='${Status}' vortane 2>/dev/null | grep -q "install ok installed"; then
	fail "vortane still installed"
fi
for path in /usr/bin/vortane /usr/share/vortane /usr/share/applications/io.github.vortane.vortane.desktop \
	/usr/share/metainfo/io.github.vortane.vortane.metainfo.xml /usr/share/icons/hicolor/256x256/apps/vortane.png; do
	[ ! -e "$path" ] || fail "$path left after removal"
done
echo "test_package: PASS ($deb: installed, ran $frames frames, removed without leftovers)"
