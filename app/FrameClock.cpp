#include "app/FrameClock.h"

void FrameClock::Start(DWORD now) {
	due = now;
	unseen = 0;
}

FrameClock::Step FrameClock::FrameEnded(DWORD now, bool pictured) {
	due += frame;
	unseen = pictured ? 0 : unseen + 1;
	// Signed, so the millisecond counter may wrap in between.
	const int32_t ahead = static_cast<int32_t>(due - now);
	if (ahead > 0) {
		return Step{false, static_cast<DWORD>(ahead)};
	}
	const DWORD behind = static_cast<DWORD>(-ahead);
	if (behind < frame) {
		return Step{};
	}
	if (unseen < MAX_UNSEEN_FRAMES) {
		return Step{true, 0};
	}
	// Whole frames still owed after the unseen ones: let them go.
	const DWORD owed = behind - behind % frame;
	due += owed;
	forgiven += owed;
	return Step{};
}
