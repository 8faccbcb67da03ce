#pragma once
// The player's choices from the command line, for the code that honours
// them. Set once before the run; the defaults play as the game always has.

#include <optional>

struct GameSettings {
	// Scales the look: the robot turns a degree per 7 / lookSensitivity
	// pixels of cursor motion.
	float lookSensitivity = 1.0f;
	// Motion up lowers the aim and tilts the view down.
	bool invertLook = false;
	// Full screen or a window without asking; asked at start while empty.
	std::optional<bool> fullScreen;
};
