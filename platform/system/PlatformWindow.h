#pragma once
// The record behind a window handle. Every window is a real SDL window (the
// OpenGL device renders into it); the fields beyond `sdl` belong to the Win32
// layer.

#include "platform/system/WinTypes.h"

#include <SDL.h>

#include <string>
#include <vector>

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct PlatformWindow {
	SDL_Window* sdl = nullptr;
	std::string className;
	WNDPROC procedure = nullptr;
	DWORD style = 0;
	// The client size the game sees. Desktop full screen keeps it, so the
	// scenes keep laying out for the back buffer, which the device scales.
	LONG clientWidth = 0;
	LONG clientHeight = 0;
	bool visible = false;
	bool fullScreenDesktop = false;
};

inline SDL_Window* PlatformWindowSdl(HWND window) { return window != nullptr ? window->sdl : nullptr; }

// True in either kind of full screen, however it was entered.
inline bool PlatformWindowIsFullScreen(HWND window) {
	return window != nullptr && (window->fullScreenDesktop ||
	                             (window->sdl != nullptr && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0));
}

// Switches between a window and a borderless window covering the desktop,
// without changing the display mode. The client size seen through
// GetClientRect stays what it was.
void PlatformWindowSetFullScreenDesktop(HWND window, bool fullScreen);

// Live windows in creation order, and the window behind an SDL window.
const std::vector<HWND>& PlatformWindowList();
HWND PlatformWindowFromSdl(SDL_Window* sdl);
