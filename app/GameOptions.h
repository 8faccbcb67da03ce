#pragma once
// The game's command line (GameOptions::Help lists it). Nothing in it is
// needed: without options the game asks about full screen and plays on the
// keyboard, mouse and any game pad, writing nothing to disk.

#include "app/GameSettings.h"

#include <string>
#include <vector>

struct GameOptions {
	std::string recordFile;
	std::string traceFile;
	GameSettings settings;
	bool mute = false;
	bool help = false;
	bool version = false;

	// The smallest and largest --sensitivity.
	static constexpr float MIN_SENSITIVITY = 0.1f;
	static constexpr float MAX_SENSITIVITY = 10.0f;

	// False with a one-line reason on a bad option or value.
	static bool Parse(const std::vector<std::string>& arguments, GameOptions& options, std::string& why);
	// Every option, a line each, for --help.
	static std::string Help();
	// "vortane <version>", the project's version.
	static std::string VersionLine();

private:
	bool ParseOption(const std::vector<std::string>& arguments, size_t& at, std::string& why);
};
