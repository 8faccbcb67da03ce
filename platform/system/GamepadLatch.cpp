#include "platform/system/GamepadLatch.h"

#include <algorithm>
#include <cmath>

namespace {

// The stick with the larger deflection; the first on a tie.
void TakeFurtherStick(float x, float y, float& intoX, float& intoY) {
	if (std::hypot(x, y) > std::hypot(intoX, intoY)) {
		intoX = x;
		intoY = y;
	}
}

// What any of a and b holds.
GamepadState Combined(const GamepadState& a, const GamepadState& b) {
	GamepadState result = a;
	TakeFurtherStick(b.leftX, b.leftY, result.leftX, result.leftY);
	TakeFurtherStick(b.rightX, b.rightY, result.rightX, result.rightY);
	result.leftTrigger = std::max(a.leftTrigger, b.leftTrigger);
	result.rightTrigger = std::max(a.rightTrigger, b.rightTrigger);
	result.a = a.a || b.a;
	result.leftShoulder = a.leftShoulder || b.leftShoulder;
	return result;
}

}  // namespace

void GamepadLatch::Connect(int32_t pad) { pads.try_emplace(pad); }

void GamepadLatch::Disconnect(int32_t pad) { pads.erase(pad); }

void GamepadLatch::SetAxis(int32_t pad, GamepadAxis axis, float value) {
	const auto found = pads.find(pad);
	if (found == pads.end()) {
		return;
	}
	found->second.SetAxis(axis, value);
	if (axis == GamepadAxis::LeftTrigger) {
		pressed.leftTrigger = std::max(pressed.leftTrigger, found->second.leftTrigger);
	} else if (axis == GamepadAxis::RightTrigger) {
		pressed.rightTrigger = std::max(pressed.rightTrigger, found->second.rightTrigger);
	}
}

void GamepadLatch::SetButton(int32_t pad, GamepadButton button, bool down) {
	const auto found = pads.find(pad);
	if (found == pads.end()) {
		return;
	}
	found->second.SetButton(button, down);
	if (down) {
		pressed.SetButton(button, true);
	}
}

void GamepadLatch::DropPresses() { pressed = GamepadState{}; }

GamepadState GamepadLatch::Held() const {
	GamepadState held;
	for (const auto& [id, pad] : pads) {
		held = Combined(held, pad);
	}
	return held;
}

GamepadState GamepadLatch::Take() {
	GamepadState taken = Held();
	taken.leftTrigger = std::max(taken.leftTrigger, pressed.leftTrigger);
	taken.rightTrigger = std::max(taken.rightTrigger, pressed.rightTrigger);
	taken.a = taken.a || pressed.a;
	taken.leftShoulder = taken.leftShoulder || pressed.leftShoulder;
	pressed = GamepadState{};
	return taken;
}
