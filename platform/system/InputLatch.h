#pragma once
// Key and button state as the game polls it, built from press and release
// events. The game polls once a frame, and a frame on a software renderer
// can last 70 ms: a tap that goes down and up between two polls would never
// be seen held. The latch keeps such a press until the key is next polled.
//
// A poll is one Poll call for one key. Each key keeps its own latch, so a
// key polled twice in one frame shows a quick tap to the first poll only;
// a key held through both polls shows to both.

#include <array>

class InputLatch {
public:
	// Virtual keys are bytes, as on Windows; others are ignored.
	static constexpr int KEY_COUNT = 256;

	// A press of a key already held is a repeat, not a new press.
	void Press(int virtualKey);
	void Release(int virtualKey);
	// Everything up and no press pending: input aimed elsewhere (a message
	// box) must not reach the game.
	void Reset();

	// True while held, and once for a press since this key's previous poll
	// even when it is already released.
	bool Poll(int virtualKey);
	bool IsHeld(int virtualKey) const;

private:
	static bool IsValid(int virtualKey) { return virtualKey >= 0 && virtualKey < KEY_COUNT; }

	std::array<bool, KEY_COUNT> held{};
	std::array<bool, KEY_COUNT> pressedSincePoll{};
};
