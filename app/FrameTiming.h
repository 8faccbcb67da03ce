#pragma once
// Where one main-loop frame's time went, for the headless runner's report.

struct FrameTiming {
	double updateMilliseconds = 0.0;
	double drawMilliseconds = 0.0;
	double frameMilliseconds = 0.0;  // update, draw, present and pacing sleep
	bool pictured = true;            // false: run to catch the clock up, not drawn
};
