#include "platform/system/GamepadState.h"

#include <algorithm>

void GamepadState::SetAxis(GamepadAxis axis, float value) {
	const bool trigger = axis == GamepadAxis::LeftTrigger || axis == GamepadAxis::RightTrigger;
	const float clamped = std::clamp(value, trigger ? 0.0f : -1.0f, 1.0f);
	switch (axis) {
	case GamepadAxis::LeftX: leftX = clamped; break;
	case GamepadAxis::LeftY: leftY = clamped; break;
	case GamepadAxis::RightX: rightX = clamped; break;
	case GamepadAxis::RightY: rightY = clamped; break;
	case GamepadAxis::LeftTrigger: leftTrigger = clamped; break;
	case GamepadAxis::RightTrigger: rightTrigger = clamped; break;
	}
}

void GamepadState::SetButton(GamepadButton button, bool down) {
	if (button == GamepadButton::A) {
		a = down;
	} else {
		leftShoulder = down;
	}
}
