#pragma once
// The game's command line:
//   vortane [--record FILE] [--trace FILE]
// --record writes the game's input as it saw it, in the headless runner's
// input grammar; --trace one JSON line of game state a frame, as the runner
// writes it. Both let `vortane-run --input FILE --trace` play the game again
// and compare.

#include <string>
#include <vector>

struct GameOptions {
	std::string recordFile;
	std::string traceFile;

	// False with the reason on a bad argument.
	static bool Parse(const std::vector<std::string>& arguments, GameOptions& options, std::string& why);
	static const char* Usage();
};
