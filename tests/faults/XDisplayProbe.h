#pragma once
// A test's own connection to an X server, through libX11 loaded at run
// time (the game links no X library): a window's pixels as the screen
// shows them, and the close command a window manager sends when the
// window's close button is pressed.

#include <cstdint>
#include <string>
#include <vector>

namespace faults {

class XDisplayProbe {
public:
	XDisplayProbe() = default;
	~XDisplayProbe();
	XDisplayProbe(const XDisplayProbe&) = delete;
	XDisplayProbe& operator=(const XDisplayProbe&) = delete;

	// False where libX11 is missing or the display cannot be opened.
	bool Open(const std::string& display);

	// RGBA rows, top to bottom, of a rectangle of the window; empty when it
	// cannot be read.
	std::vector<uint8_t> Pixels(unsigned long window, int x, int y, int width, int height) const;

	// WM_DELETE_WINDOW, as a window manager's close button sends it.
	bool RequestClose(unsigned long window) const;

private:
	void* library = nullptr;
	void* display = nullptr;
};

}  // namespace faults
