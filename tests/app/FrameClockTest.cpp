// The frame clock on a simulated millisecond timer: a machine that keeps up
// sleeps the rest of every 16 ms exactly as plain pacing does; one whose
// pictures are slow runs frames without pictures until the game is back on
// time, never more than three after a picture, and one that cannot keep up
// even so slows down instead of owing ever more.

#include "app/FrameClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD FRAME = 16;

// Runs frames on a simulated timer: each pictured frame takes picture ms, each
// unseen one unseen ms, sleeps take exactly what they ask.
struct SimulatedLoop {
	FrameClock clock{FRAME};
	DWORD now = 0;
	uint32_t frames = 0;
	uint32_t pictures = 0;
	std::vector<int> unseenRuns;  // unseen frames after each picture

	explicit SimulatedLoop(DWORD start) : now(start) { clock.Start(now); }

	void RunPictures(uint32_t count, DWORD picture, DWORD unseen) {
		for (uint32_t i = 0; i < count; ++i) {
			bool pictured = true;
			int run = 0;
			for (;;) {
				now += pictured ? picture : unseen;
				++frames;
				pictures += pictured ? 1 : 0;
				const FrameClock::Step step = clock.FrameEnded(now, pictured);
				now += step.sleep;
				if (!step.catchUp) {
					break;
				}
				pictured = false;
				++run;
			}
			unseenRuns.push_back(run);
		}
	}
};

TEST(FrameClock, AMachineThatKeepsUpSleepsTheRestOfEveryFrameAndSkipsNoPicture) {
	FrameClock clock(FRAME);
	clock.Start(1000);
	const DWORD work[] = {5, 0, 15, 1};
	DWORD now = 1000;
	for (const DWORD taken : work) {
		now += taken;
		const FrameClock::Step step = clock.FrameEnded(now, true);
		EXPECT_FALSE(step.catchUp);
		EXPECT_EQ(step.sleep, FRAME - taken);
		now += step.sleep;
	}
	EXPECT_EQ(now, 1000u + 4 * FRAME);
}

TEST(FrameClock, ALatePictureIsMadeUpBySleepingLessAfterItWhenLessThanAFrameIsOwed) {
	FrameClock clock(FRAME);
	clock.Start(0);
	EXPECT_EQ(clock.FrameEnded(20, true).sleep, 0u) << "4 ms late";
	const FrameClock::Step step = clock.FrameEnded(25, true);
	EXPECT_FALSE(step.catchUp);
	EXPECT_EQ(step.sleep, 7u) << "the second frame is due to end at 32";
}

TEST(FrameClock, FiftyMillisecondPicturesKeepSixtyTwoAndAHalfFramesASecond) {
	SimulatedLoop loop(0);
	loop.RunPictures(3000, 50, 0);
	// Two unseen frames after most pictures, three now and then.
	for (const int run : loop.unseenRuns) {
		EXPECT_GE(run, 2);
		EXPECT_LE(run, FrameClock::MAX_UNSEEN_FRAMES);
	}
	const double framesPerSecond = loop.frames * 1000.0 / loop.now;
	EXPECT_NEAR(framesPerSecond, 62.5, 0.1);
	EXPECT_EQ(loop.clock.ForgivenMilliseconds(), 0u);
}

TEST(FrameClock, AMachineThatCannotKeepUpRunsFourFramesAPictureAndIsForgivenTheRest) {
	SimulatedLoop loop(0);
	loop.RunPictures(200, 100, 1);
	for (const int run : loop.unseenRuns) {
		EXPECT_EQ(run, FrameClock::MAX_UNSEEN_FRAMES);
	}
	EXPECT_EQ(loop.frames, 800u);
	EXPECT_EQ(loop.pictures, 200u);
	EXPECT_GT(loop.clock.ForgivenMilliseconds(), 0u);
	// Once forgiven, a fast picture is back on the clock at once, with no
	// burst of frames to pay old debts.
	loop.unseenRuns.clear();
	loop.RunPictures(10, 2, 1);
	for (const int run : loop.unseenRuns) {
		EXPECT_EQ(run, 0);
	}
}

TEST(FrameClock, CountsAcrossTheTimerWrap) {
	SimulatedLoop loop(0xFFFFFF00u);
	loop.RunPictures(1000, 50, 0);
	const DWORD elapsed = loop.now - 0xFFFFFF00u;
	EXPECT_NEAR(loop.frames * 1000.0 / elapsed, 62.5, 0.2);
	EXPECT_EQ(loop.clock.ForgivenMilliseconds(), 0u);
}

}  // namespace
