#pragma once
// How a pad stands in for the keyboard and mouse, one frame at a time:
// - the left stick holds move keys: W, S, D or A within 67.5 degrees of
//   straight ahead, back, right or left, so a diagonal holds two, and the
//   robot picks between them as it does between two held keys;
// - the right stick moves the cursor, up to LOOK_PIXELS a frame, on a square
//   curve for fine aim; fractions of a pixel carry to the next frame;
// - the right trigger is the left button (the gun), the left trigger or the
//   left shoulder the right button (the plasma launcher), and A the left
//   button too, which clicks the title and the result.
// Inside a stick's dead zone it counts as centred.

#include "platform/system/GamepadState.h"
#include "platform/system/WinTypes.h"

class GamepadMapping {
public:
	static constexpr float MOVE_DEAD_ZONE = 0.25f;
	static constexpr float LOOK_DEAD_ZONE = 0.2f;
	static constexpr float TRIGGER_THRESHOLD = 0.3f;
	// Cursor pixels a frame at full deflection: six degrees at the default
	// sensitivity.
	static constexpr float LOOK_PIXELS = 42.0f;

	// Whether a pad can hold this virtual key.
	static bool Maps(int virtualKey);
	// Whether the pad holds this virtual key down.
	static bool Holds(const GamepadState& state, int virtualKey);
	// This frame's cursor motion from the right stick.
	POINT LookMotion(const GamepadState& state);
	// Forgets the carried fractions.
	void Reset() { carryX = carryY = 0.0f; }

private:
	static bool StickPoints(float x, float y, float towardsX, float towardsY);

	float carryX = 0.0f;
	float carryY = 0.0f;
};
