#pragma once
// The game's clock when pictures are slow. Every speed, timer and count in
// the game is per frame, and frames are due every FRAME_MILLISECONDS, so a
// picture that takes longer would play the whole game in slow motion. After
// each frame the clock says whether the loop runs another whole frame at once
// without its picture (the game is a frame or more behind) or how long it
// sleeps (it is ahead). At most MAX_UNSEEN_FRAMES follow a picture; what is
// still owed after them is forgiven, so a machine that cannot keep up slows
// down instead of stalling. It reads no clock itself: callers pass the time.

#include "platform/system/WinTypes.h"

#include <cstdint>

class FrameClock {
public:
	static constexpr int MAX_UNSEEN_FRAMES = 3;

	struct Step {
		bool catchUp = false;  // run the next frame now, without its picture
		DWORD sleep = 0;       // otherwise: milliseconds to wait first
	};

	explicit FrameClock(DWORD frameMilliseconds) : frame(frameMilliseconds) {}

	// The first frame starts at now.
	void Start(DWORD now);
	// A frame ended at now; pictured tells whether it drew its picture.
	Step FrameEnded(DWORD now, bool pictured);

	// Frames whose debt was forgiven, for reports.
	uint64_t ForgivenMilliseconds() const { return forgiven; }

private:
	const DWORD frame;
	DWORD due = 0;  // when the next frame should start
	int unseen = 0;
	uint64_t forgiven = 0;
};
