// The latch that keeps a press shorter than a frame for the next poll.

#include "platform/system/InputLatch.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

namespace {

TEST(InputLatch, UntouchedKeysAreUp) {
	InputLatch latch;
	EXPECT_FALSE(latch.Poll('A'));
	EXPECT_FALSE(latch.Poll(VK_LBUTTON));
	EXPECT_FALSE(latch.IsHeld(VK_ESCAPE));
}

TEST(InputLatch, TapBetweenPollsIsSeenOnceThenUp) {
	InputLatch latch;
	latch.Press(VK_LBUTTON);
	latch.Release(VK_LBUTTON);
	EXPECT_FALSE(latch.IsHeld(VK_LBUTTON));
	EXPECT_TRUE(latch.Poll(VK_LBUTTON));
	EXPECT_FALSE(latch.Poll(VK_LBUTTON));
}

TEST(InputLatch, HeldKeyIsSeenByEveryPollUntilReleased) {
	InputLatch latch;
	latch.Press('W');
	EXPECT_TRUE(latch.Poll('W'));
	EXPECT_TRUE(latch.Poll('W'));
	EXPECT_TRUE(latch.IsHeld('W'));
	latch.Release('W');
	EXPECT_FALSE(latch.Poll('W'));
}

TEST(InputLatch, EachKeyKeepsItsOwnPress) {
	InputLatch latch;
	latch.Press('A');
	latch.Release('A');
	latch.Press(VK_ESCAPE);
	latch.Release(VK_ESCAPE);
	EXPECT_TRUE(latch.Poll('A'));
	EXPECT_FALSE(latch.Poll('A'));
	// Polling A took nothing from Escape.
	EXPECT_TRUE(latch.Poll(VK_ESCAPE));
	EXPECT_FALSE(latch.Poll(VK_ESCAPE));
	EXPECT_FALSE(latch.Poll('B'));
}

TEST(InputLatch, SeveralTapsBetweenPollsCountAsOne) {
	InputLatch latch;
	for (int i = 0; i < 3; ++i) {
		latch.Press(VK_RBUTTON);
		latch.Release(VK_RBUTTON);
	}
	EXPECT_TRUE(latch.Poll(VK_RBUTTON));
	EXPECT_FALSE(latch.Poll(VK_RBUTTON));
}

// Auto-repeat presses a held key again; that must not show the key once
// more after its release.
TEST(InputLatch, RepeatWhileHeldIsNotANewPress) {
	InputLatch latch;
	latch.Press('D');
	EXPECT_TRUE(latch.Poll('D'));
	latch.Press('D');
	latch.Press('D');
	latch.Release('D');
	EXPECT_FALSE(latch.Poll('D'));
}

TEST(InputLatch, NewTapAfterAPolledHoldIsSeen) {
	InputLatch latch;
	latch.Press('S');
	EXPECT_TRUE(latch.Poll('S'));
	latch.Release('S');
	latch.Press('S');
	latch.Release('S');
	EXPECT_TRUE(latch.Poll('S'));
	EXPECT_FALSE(latch.Poll('S'));
}

TEST(InputLatch, ReleaseBeforeAnyPressLatchesNothing) {
	InputLatch latch;
	latch.Release('A');
	EXPECT_FALSE(latch.Poll('A'));
}

TEST(InputLatch, ResetDropsHeldKeysAndPendingPresses) {
	InputLatch latch;
	latch.Press('A');
	latch.Press(VK_LBUTTON);
	latch.Release(VK_LBUTTON);
	latch.Reset();
	EXPECT_FALSE(latch.IsHeld('A'));
	EXPECT_FALSE(latch.Poll('A'));
	EXPECT_FALSE(latch.Poll(VK_LBUTTON));
	// The latch still works afterwards.
	latch.Press('A');
	EXPECT_TRUE(latch.Poll('A'));
}

TEST(InputLatch, KeysOutsideAByteAreIgnored) {
	InputLatch latch;
	latch.Press(-1);
	latch.Press(InputLatch::KEY_COUNT);
	EXPECT_FALSE(latch.Poll(-1));
	EXPECT_FALSE(latch.Poll(InputLatch::KEY_COUNT));
	EXPECT_FALSE(latch.IsHeld(InputLatch::KEY_COUNT));
	latch.Press(InputLatch::KEY_COUNT - 1);
	EXPECT_TRUE(latch.Poll(InputLatch::KEY_COUNT - 1));
	EXPECT_FALSE(latch.Poll(0));
}

}  // namespace
