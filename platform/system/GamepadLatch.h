#pragma once
// The pads plugged in, as their events left them, read as one pad: the
// stick pushed furthest, the trigger pulled furthest, a button held on any.
// Like InputLatch, a button pressed or a trigger pulled since the last Take
// shows to that Take even when already let go, so a tap shorter than a
// frame is not lost.

#include "platform/system/GamepadState.h"

#include <cstdint>
#include <map>

class GamepadLatch {
public:
	void Connect(int32_t pad);
	// Whatever the pad held is let go.
	void Disconnect(int32_t pad);
	// Events of a pad not connected are ignored.
	void SetAxis(int32_t pad, GamepadAxis axis, float value);
	void SetButton(int32_t pad, GamepadButton button, bool down);
	// Presses not yet taken are dropped: they went to a message box.
	void DropPresses();

	bool AnyConnected() const { return !pads.empty(); }
	// The pads now, with the presses since the last Take.
	GamepadState Take();
	// The pads now, leaving the presses for Take.
	GamepadState Held() const;

private:
	std::map<int32_t, GamepadState> pads;  // by id: a fixed order to combine in
	GamepadState pressed;                   // buttons and triggers since the last Take
};
