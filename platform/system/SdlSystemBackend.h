#pragma once
// The desktop: SDL events become window messages, message boxes are SDL's.
//
// Key and button events collected by PumpMessages feed an InputLatch, which
// answers IsKeyDown: held keys, plus a press since the key's previous poll,
// so a click shorter than a frame is still seen by the next poll.
//
// A visible cursor is SDL's global pointer, warped by SetCursorPosition. A
// hidden one uses SDL's relative mouse mode where SDL has one (X11 with
// XInput2, Wayland, where warping a hidden cursor is unreliable or
// impossible) and reports the last position set plus the motion since,
// which is what a game that re-centres the cursor every frame reads on
// Windows.
//
// Game pads are SDL game controllers, opened as they are plugged in once
// EnableGamepads has been called; their events feed a GamepadLatch.

#include "platform/system/GamepadLatch.h"
#include "platform/system/InputLatch.h"
#include "platform/system/SystemBackend.h"

#include <SDL.h>

#include <map>

class SdlSystemBackend : public SystemBackend {
public:
	SdlSystemBackend() = default;
	~SdlSystemBackend() override { DisableGamepads(); }
	SdlSystemBackend(const SdlSystemBackend&) = delete;
	SdlSystemBackend& operator=(const SdlSystemBackend&) = delete;

	// Starts SDL's game-controller subsystem; the pads already plugged in
	// arrive as plug-in events. False with SDL's reason when it cannot start.
	bool EnableGamepads();
	void DisableGamepads();

	void PumpMessages() override;
	bool IsKeyDown(int virtualKey) override;
	bool IsKeyHeld(int virtualKey) override { return latch.IsHeld(virtualKey); }
	GamepadState Gamepad() override { return pads.Take(); }
	POINT CursorPosition() override;
	void SetCursorPosition(POINT position) override;
	void SetCursorVisible(bool visible) override;
	int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
	DWORD Milliseconds() override;
	void Sleep(DWORD milliseconds) override;

private:
	void HandleWindowEvent(const SDL_WindowEvent& event, bool& closePosted);
	void HandleInputEvent(const SDL_Event& event);
	void HandlePadEvent(const SDL_Event& event);
	void SetRelativeMode(bool relative);

	InputLatch latch;
	GamepadLatch pads;
	bool gamepadsEnabled = false;
	std::map<SDL_JoystickID, SDL_GameController*> controllers;
	bool relativeMode = false;
	POINT relativeBase = {0, 0};   // the last position set, or where relative mode began
	POINT relativeMotion = {0, 0};  // motion since relativeBase
};
