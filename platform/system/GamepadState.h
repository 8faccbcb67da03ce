#pragma once
// What the game pads hold, in SDL's game-controller layout: sticks from -1
// to 1 with y growing downwards, triggers from 0 to 1. Only the controls the
// game maps are kept.

enum class GamepadAxis { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger };
enum class GamepadButton { A, LeftShoulder };

struct GamepadState {
	float leftX = 0.0f;
	float leftY = 0.0f;
	float rightX = 0.0f;
	float rightY = 0.0f;
	float leftTrigger = 0.0f;
	float rightTrigger = 0.0f;
	bool a = false;
	bool leftShoulder = false;

	void SetAxis(GamepadAxis axis, float value);
	void SetButton(GamepadButton button, bool down);
};
