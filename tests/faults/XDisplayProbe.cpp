#include "tests/faults/XDisplayProbe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace faults {

namespace {

template <typename Function>
Function Symbol(void* library, const char* name) {
	return reinterpret_cast<Function>(dlsym(library, name));
}

// A window gone between the listing and the read must not end the test
// process, as libX11's own handler would.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

XDisplayProbe::~XDisplayProbe() {
	if (display != nullptr) {
		Symbol<int (*)(Display*)>(library, "XCloseDisplay")(static_cast<Display*>(display));
	}
	if (library != nullptr) {
		dlclose(library);
	}
}

bool XDisplayProbe::Open(const std::string& name) {
	library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
	if (library == nullptr) {
		return false;
	}
	const auto setHandler = Symbol<XErrorHandler (*)(XErrorHandler)>(library, "XSetErrorHandler");
	const auto open = Symbol<Display* (*)(const char*)>(library, "XOpenDisplay");
	if (setHandler == nullptr || open == nullptr) {
		return false;
	}
	setHandler(IgnoreError);
	display = open(name.c_str());
	return display != nullptr;
}

std::vector<uint8_t> XDisplayProbe::Pixels(unsigned long window, int x, int y, int width, int height) const {
	std::vector<uint8_t> rgba;
	if (display == nullptr) {
		return rgba;
	}
	const auto getImage = Symbol<XImage* (*)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int)>(
		library, "XGetImage");
	XImage* image = getImage(static_cast<Display*>(display), window, x, y, static_cast<unsigned>(width),
	                         static_cast<unsigned>(height), AllPlanes, ZPixmap);
	if (image == nullptr) {
		return rgba;
	}
	rgba.reserve(size_t(width) * size_t(height) * 4);
	for (int row = 0; row < height; ++row) {
		for (int column = 0; column < width; ++column) {
			const unsigned long pixel = XGetPixel(image, column, row);
			rgba.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> 16));
			rgba.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> 8));
			rgba.push_back(static_cast<uint8_t>(pixel & image->blue_mask));
			rgba.push_back(255);
		}
	}
	XDestroyImage(image);
	return rgba;
}

bool XDisplayProbe::RequestClose(unsigned long window) const {
	if (display == nullptr) {
		return false;
	}
	Display* const connection = static_cast<Display*>(display);
	const auto internAtom = Symbol<Atom (*)(Display*, const char*, Bool)>(library, "XInternAtom");
	const auto sendEvent = Symbol<Status (*)(Display*, Window, Bool, long, XEvent*)>(library, "XSendEvent");
	const auto flush = Symbol<int (*)(Display*)>(library, "XFlush");
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = internAtom(connection, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(internAtom(connection, "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	const Status sent = sendEvent(connection, window, False, NoEventMask, &event);
	flush(connection);
	return sent != 0;
}

}  // namespace faults
