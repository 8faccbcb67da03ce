#include "platform/system/GamepadMapping.h"

#include "platform/system/Win32.h"

#include <cmath>

namespace {

// cos 67.5 degrees: a stick this close to a direction holds its key.
constexpr float KEY_CONE_COS = 0.38268343f;

}  // namespace

bool GamepadMapping::StickPoints(float x, float y, float towardsX, float towardsY) {
	const float length = std::hypot(x, y);
	return length > MOVE_DEAD_ZONE && x * towardsX + y * towardsY >= KEY_CONE_COS * length;
}

bool GamepadMapping::Maps(int virtualKey) {
	return virtualKey == 'W' || virtualKey == 'S' || virtualKey == 'D' || virtualKey == 'A' ||
	       virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON;
}

bool GamepadMapping::Holds(const GamepadState& state, int virtualKey) {
	switch (virtualKey) {
	case 'W': return StickPoints(state.leftX, state.leftY, 0.0f, -1.0f);
	case 'S': return StickPoints(state.leftX, state.leftY, 0.0f, 1.0f);
	case 'D': return StickPoints(state.leftX, state.leftY, 1.0f, 0.0f);
	case 'A': return StickPoints(state.leftX, state.leftY, -1.0f, 0.0f);
	case VK_LBUTTON: return state.rightTrigger >= TRIGGER_THRESHOLD || state.a;
	case VK_RBUTTON: return state.leftTrigger >= TRIGGER_THRESHOLD || state.leftShoulder;
	default: return false;
	}
}

POINT GamepadMapping::LookMotion(const GamepadState& state) {
	const float length = std::hypot(state.rightX, state.rightY);
	if (length <= LOOK_DEAD_ZONE) {
		Reset();
		return POINT{0, 0};
	}
	const float past = std::fmin((length - LOOK_DEAD_ZONE) / (1.0f - LOOK_DEAD_ZONE), 1.0f);
	const float pixels = LOOK_PIXELS * past * past;
	carryX += pixels * state.rightX / length;
	carryY += pixels * state.rightY / length;
	// Whole pixels move; the rest, of either sign, waits.
	const LONG dx = static_cast<LONG>(carryX);
	const LONG dy = static_cast<LONG>(carryY);
	carryX -= static_cast<float>(dx);
	carryY -= static_cast<float>(dy);
	return POINT{dx, dy};
}
