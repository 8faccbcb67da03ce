#include "tests/desktop/XCursorProbe.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <dlfcn.h>

namespace desktop_test {

namespace {

// Loaded at run time: the game links no X library of its own, and a machine
// without them only loses this probe.
struct XLibraries {
	XLibraries() {
		x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
		xfixes = dlopen("libXfixes.so.3", RTLD_NOW | RTLD_LOCAL);
		if (x11 == nullptr || xfixes == nullptr) {
			return;
		}
		openDisplay = reinterpret_cast<decltype(openDisplay)>(dlsym(x11, "XOpenDisplay"));
		closeDisplay = reinterpret_cast<decltype(closeDisplay)>(dlsym(x11, "XCloseDisplay"));
		free = reinterpret_cast<decltype(free)>(dlsym(x11, "XFree"));
		queryExtension = reinterpret_cast<decltype(queryExtension)>(dlsym(xfixes, "XFixesQueryExtension"));
		cursorImage = reinterpret_cast<decltype(cursorImage)>(dlsym(xfixes, "XFixesGetCursorImage"));
	}

	bool Loaded() const {
		return openDisplay != nullptr && closeDisplay != nullptr && free != nullptr && queryExtension != nullptr &&
		       cursorImage != nullptr;
	}

	void* x11 = nullptr;
	void* xfixes = nullptr;
	Display* (*openDisplay)(const char*) = nullptr;
	int (*closeDisplay)(Display*) = nullptr;
	int (*free)(void*) = nullptr;
	Bool (*queryExtension)(Display*, int*, int*) = nullptr;
	XFixesCursorImage* (*cursorImage)(Display*) = nullptr;
};

const XLibraries& Libraries() {
	static const XLibraries libraries;
	return libraries;
}

}  // namespace

std::optional<bool> CursorImageVisible(const std::string& display) {
	const XLibraries& x = Libraries();
	if (!x.Loaded()) {
		return std::nullopt;
	}
	Display* connection = x.openDisplay(display.c_str());
	if (connection == nullptr) {
		return std::nullopt;
	}
	std::optional<bool> visible;
	int eventBase = 0, errorBase = 0;
	if (x.queryExtension(connection, &eventBase, &errorBase)) {
		if (XFixesCursorImage* image = x.cursorImage(connection)) {
			// ARGB in the low 32 bits of each unsigned long.
			bool opaque = false;
			const unsigned long count = static_cast<unsigned long>(image->width) * image->height;
			for (unsigned long i = 0; i < count && !opaque; ++i) {
				opaque = ((image->pixels[i] >> 24) & 0xffu) != 0;
			}
			visible = opaque;
			x.free(image);
		}
	}
	x.closeDisplay(connection);
	return visible;
}

}  // namespace desktop_test
