#include "platform/system/InputLatch.h"

void InputLatch::Press(int virtualKey) {
	if (!IsValid(virtualKey) || held[virtualKey]) {
		return;
	}
	held[virtualKey] = true;
	pressedSincePoll[virtualKey] = true;
}

void InputLatch::Release(int virtualKey) {
	if (IsValid(virtualKey)) {
		held[virtualKey] = false;
	}
}

void InputLatch::Reset() {
	held.fill(false);
	pressedSincePoll.fill(false);
}

bool InputLatch::Poll(int virtualKey) {
	if (!IsValid(virtualKey)) {
		return false;
	}
	const bool pressed = pressedSincePoll[virtualKey];
	pressedSincePoll[virtualKey] = false;
	return held[virtualKey] || pressed;
}

bool InputLatch::IsHeld(int virtualKey) const { return IsValid(virtualKey) && held[virtualKey]; }
