// Every test binary runs headless unless the caller chose otherwise: no
// display, no sound card, whatever ctest or the shell passed down.

#include <cstdlib>

namespace {

struct HeadlessDefaults {
	HeadlessDefaults() {
		setenv("SDL_VIDEODRIVER", "offscreen", 0);
		setenv("SDL_AUDIODRIVER", "dummy", 0);
		setenv("ALSOFT_DRIVERS", "null", 0);
	}
};

const HeadlessDefaults headlessDefaults;

}  // namespace
