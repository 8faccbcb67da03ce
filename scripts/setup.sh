#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need. Quick when they
# are already present; uses sudo when not run as root.
set -euo pipefail

packages=(
	build-essential cmake pkg-config git
	libsdl2-dev libepoxy-dev libopenal-dev libembree-dev libstb-dev libfreetype-dev zlib1g-dev
	libgl1-mesa-dri libegl1 libegl-mesa0 libegl-dev libgles-dev
	fonts-dejavu-core fonts-play fonts-noto-cjk xfonts-intl-japanese xfonts-base
	libgtest-dev libgmock-dev libbenchmark-dev libassimp-dev
	xvfb x11-utils xdotool clang
	# llvm-symbolizer: file and line in the sanitizers' reports
	llvm
	# the install and package checks: desktop entry and metainfo validators,
	# strace for the files the installed game opens, file for cpack's DEB
	desktop-file-utils appstream strace file
)

missing=()
for package in "${packages[@]}"; do
	if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
		missing+=("$package")
	fi
done

if [ ${#missing[@]} -gt 0 ]; then
	sudo_cmd=()
	if [ "$(id -u)" -ne 0 ]; then
		sudo_cmd=(sudo)
	fi
	echo "Installing: ${missing[*]}"
	"${sudo_cmd[@]}" apt-get update -qq
	DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
