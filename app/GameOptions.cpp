#include "app/GameOptions.h"

#include "GameVersion.h"

#include <charconv>
#include <cmath>

namespace {

// A whole word read as a finite number.
bool ReadFloat(const std::string& word, float& value) {
	const char* end = word.data() + word.size();
	const auto [stop, error] = std::from_chars(word.data(), end, value);
	return !word.empty() && error == std::errc() && stop == end && std::isfinite(value);
}

}  // namespace

std::string GameOptions::Help() {
	return "usage: vortane [options]\n"
	       "  --fullscreen         play full screen without asking\n"
	       "  --windowed           play in a 1280 x 720 window without asking\n"
	       "  --sensitivity X      look sensitivity of mouse and pad, 0.1 to 10 (default 1)\n"
	       "  --invert-y           moving up aims down\n"
	       "  --mute               no sound\n"
	       "  --record FILE        write the game's input, for vortane-run --input\n"
	       "  --trace FILE         write one line of game state a frame\n"
	       "  --version            print the version and exit\n"
	       "  --help               print this and exit\n";
}

std::string GameOptions::VersionLine() { return std::string("vortane ") + VORTANE_VERSION; }

bool GameOptions::Parse(const std::vector<std::string>& arguments, GameOptions& options, std::string& why) {
	options = GameOptions{};
	bool fullScreenChosen = false;
	for (size_t at = 0; at < arguments.size(); ++at) {
		const std::string& argument = arguments[at];
		if (argument == "--fullscreen" || argument == "--windowed") {
			const bool fullScreen = argument == "--fullscreen";
			if (fullScreenChosen && *options.settings.fullScreen != fullScreen) {
				why = "--fullscreen and --windowed exclude each other";
				return false;
			}
			fullScreenChosen = true;
			options.settings.fullScreen = fullScreen;
		} else if (!options.ParseOption(arguments, at, why)) {
			return false;
		}
	}
	return true;
}

// Every option but the full-screen pair; at moves past a value it takes.
bool GameOptions::ParseOption(const std::vector<std::string>& arguments, size_t& at, std::string& why) {
	const std::string& argument = arguments[at];
	if (argument == "--help" || argument == "-h") {
		help = true;
	} else if (argument == "--version") {
		version = true;
	} else if (argument == "--invert-y") {
		settings.invertLook = true;
	} else if (argument == "--mute") {
		mute = true;
	} else if (argument == "--record" || argument == "--trace" || argument == "--sensitivity") {
		const bool file = argument != "--sensitivity";
		if (at + 1 >= arguments.size() || arguments[at + 1].empty()) {
			why = argument + (file ? " needs a file" : " needs a number");
			return false;
		}
		const std::string& value = arguments[++at];
		if (argument == "--record") {
			recordFile = value;
		} else if (argument == "--trace") {
			traceFile = value;
		} else if (!ReadFloat(value, settings.lookSensitivity) || settings.lookSensitivity < MIN_SENSITIVITY ||
		           settings.lookSensitivity > MAX_SENSITIVITY) {
			why = "--sensitivity takes a number from 0.1 to 10, not '" + value + "'";
			return false;
		}
	} else {
		why = "unknown option '" + argument + "'";
		return false;
	}
	return true;
}
