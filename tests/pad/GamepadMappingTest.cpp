// How a pad's sticks, triggers and buttons become keys and cursor motion,
// and how the desktop's pads are read as one with short presses kept.

#include "platform/system/GamepadLatch.h"
#include "platform/system/GamepadMapping.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

GamepadState LeftStick(float x, float y) {
	GamepadState state;
	state.leftX = x;
	state.leftY = y;
	return state;
}

GamepadState RightStick(float x, float y) {
	GamepadState state;
	state.rightX = x;
	state.rightY = y;
	return state;
}

// The move keys the pad holds, in the robot's order of priority.
std::string MoveKeys(const GamepadState& state) {
	std::string keys;
	for (const char key : {'W', 'S', 'D', 'A'}) {
		if (GamepadMapping::Holds(state, key)) {
			keys += key;
		}
	}
	return keys;
}

TEST(GamepadMapping, TheLeftStickHoldsTheMoveKeyItPointsAtAndBothOnADiagonal) {
	EXPECT_EQ(MoveKeys(LeftStick(0.0f, -1.0f)), "W");
	EXPECT_EQ(MoveKeys(LeftStick(0.0f, 1.0f)), "S");
	EXPECT_EQ(MoveKeys(LeftStick(1.0f, 0.0f)), "D");
	EXPECT_EQ(MoveKeys(LeftStick(-1.0f, 0.0f)), "A");
	// Diagonals hold two keys; the robot takes W or S first, as from the keyboard.
	EXPECT_EQ(MoveKeys(LeftStick(0.7f, -0.7f)), "WD");
	EXPECT_EQ(MoveKeys(LeftStick(-0.7f, 0.7f)), "SA");
	// Within 22.5 degrees of a side, only that side.
	EXPECT_EQ(MoveKeys(LeftStick(0.9f, -0.3f)), "D");
	EXPECT_EQ(MoveKeys(LeftStick(-0.9f, 0.3f)), "A");
	// Half-way pushes count as much as full ones.
	EXPECT_EQ(MoveKeys(LeftStick(0.0f, -0.3f)), "W");
}

TEST(GamepadMapping, InsideTheDeadZoneTheSticksAreCentred) {
	EXPECT_EQ(MoveKeys(LeftStick(0.0f, 0.0f)), "");
	EXPECT_EQ(MoveKeys(LeftStick(0.2f, 0.0f)), "");
	EXPECT_EQ(MoveKeys(LeftStick(0.17f, -0.17f)), "");
	EXPECT_EQ(MoveKeys(LeftStick(0.0f, -GamepadMapping::MOVE_DEAD_ZONE)), "");

	GamepadMapping mapping;
	for (int frame = 0; frame < 100; ++frame) {
		const POINT motion = mapping.LookMotion(RightStick(0.19f, -0.05f));
		ASSERT_EQ(motion.x, 0);
		ASSERT_EQ(motion.y, 0);
	}
	// The right stick stays centred when the left one moves, and back.
	EXPECT_EQ(mapping.LookMotion(LeftStick(1.0f, 0.0f)).x, 0);
	EXPECT_EQ(MoveKeys(RightStick(0.0f, -1.0f)), "");
}

TEST(GamepadMapping, TheRightStickMovesTheCursorUpToSixDegreesAFrame) {
	GamepadMapping mapping;
	for (int frame = 0; frame < 3; ++frame) {
		const POINT right = mapping.LookMotion(RightStick(1.0f, 0.0f));
		EXPECT_EQ(right.x, 42);
		EXPECT_EQ(right.y, 0);
	}
	const POINT up = mapping.LookMotion(RightStick(0.0f, -1.0f));
	EXPECT_EQ(up.x, 0);
	EXPECT_EQ(up.y, -42);
	EXPECT_EQ(mapping.LookMotion(RightStick(-1.0f, 0.0f)).x, -42);
}

TEST(GamepadMapping, APartialPushTurnsSlowerOnASquareCurveAndCarriesFractions) {
	// 0.6 is half-way out of the dead zone: a quarter of the speed, 10.5 pixels.
	GamepadMapping mapping;
	int total = 0;
	for (int frame = 0; frame < 100; ++frame) {
		const POINT motion = mapping.LookMotion(RightStick(0.6f, 0.0f));
		ASSERT_TRUE(motion.x == 10 || motion.x == 11) << motion.x;
		ASSERT_EQ(motion.y, 0);
		total += motion.x;
	}
	EXPECT_NEAR(total, 1050, 1);

	// A slow push still turns, a pixel every few frames.
	GamepadMapping slow;
	int slowTotal = 0;
	for (int frame = 0; frame < 60; ++frame) {
		slowTotal -= slow.LookMotion(RightStick(-0.25f, 0.0f)).x;
	}
	const float past = (0.25f - GamepadMapping::LOOK_DEAD_ZONE) / (1.0f - GamepadMapping::LOOK_DEAD_ZONE);
	EXPECT_NEAR(slowTotal, 60.0f * GamepadMapping::LOOK_PIXELS * past * past, 1.0f);
	EXPECT_GT(slowTotal, 0);

	// Back in the dead zone the carried fraction is dropped: no late pixel.
	GamepadMapping dropped;
	dropped.LookMotion(RightStick(0.6f, 0.0f));
	dropped.LookMotion(RightStick(0.0f, 0.0f));
	EXPECT_EQ(dropped.LookMotion(RightStick(0.3f, 0.0f)).x, 0);
}

TEST(GamepadMapping, TriggersShoulderAndAAreTheMouseButtons) {
	GamepadState state;
	EXPECT_FALSE(GamepadMapping::Holds(state, VK_LBUTTON));
	EXPECT_FALSE(GamepadMapping::Holds(state, VK_RBUTTON));
	state.rightTrigger = 0.2f;
	EXPECT_FALSE(GamepadMapping::Holds(state, VK_LBUTTON));
	state.rightTrigger = GamepadMapping::TRIGGER_THRESHOLD;
	EXPECT_TRUE(GamepadMapping::Holds(state, VK_LBUTTON));
	EXPECT_FALSE(GamepadMapping::Holds(state, VK_RBUTTON));

	GamepadState left;
	left.leftTrigger = 1.0f;
	EXPECT_TRUE(GamepadMapping::Holds(left, VK_RBUTTON));
	EXPECT_FALSE(GamepadMapping::Holds(left, VK_LBUTTON));
	GamepadState shoulder;
	shoulder.leftShoulder = true;
	EXPECT_TRUE(GamepadMapping::Holds(shoulder, VK_RBUTTON));
	GamepadState a;
	a.a = true;
	EXPECT_TRUE(GamepadMapping::Holds(a, VK_LBUTTON));
	// Keys the pad has nothing for.
	GamepadState everything = LeftStick(0.0f, -1.0f);
	everything.a = everything.leftShoulder = true;
	everything.leftTrigger = everything.rightTrigger = 1.0f;
	for (const int key : {VK_ESCAPE, int('F'), int('G'), int('H'), int('J'), 0, 300, -1}) {
		EXPECT_FALSE(GamepadMapping::Maps(key)) << key;
		EXPECT_FALSE(GamepadMapping::Holds(everything, key)) << key;
	}
}

TEST(GamepadState, AxesAreClampedToTheirRange) {
	GamepadState state;
	state.SetAxis(GamepadAxis::LeftY, -32768.0f / 32767.0f);
	EXPECT_EQ(state.leftY, -1.0f);
	state.SetAxis(GamepadAxis::RightTrigger, -0.5f);
	EXPECT_EQ(state.rightTrigger, 0.0f);
	state.SetAxis(GamepadAxis::RightX, 0.25f);
	EXPECT_EQ(state.rightX, 0.25f);
}

TEST(GamepadLatch, ReadsEveryPadAsOne) {
	GamepadLatch latch;
	EXPECT_FALSE(latch.AnyConnected());
	latch.Connect(3);
	latch.Connect(7);
	latch.SetAxis(3, GamepadAxis::LeftY, -0.4f);
	latch.SetAxis(7, GamepadAxis::LeftY, 0.9f);  // pushed further: this one walks
	latch.SetAxis(3, GamepadAxis::RightTrigger, 1.0f);
	latch.SetButton(7, GamepadButton::LeftShoulder, true);
	const GamepadState both = latch.Take();
	EXPECT_EQ(both.leftY, 0.9f);
	EXPECT_EQ(both.rightTrigger, 1.0f);
	EXPECT_TRUE(both.leftShoulder);

	// Unplugged, a pad lets go of everything; a pad never plugged is ignored.
	latch.Disconnect(7);
	latch.SetAxis(9, GamepadAxis::RightX, 1.0f);
	const GamepadState one = latch.Take();
	EXPECT_EQ(one.leftY, -0.4f);
	EXPECT_FALSE(one.leftShoulder);
	EXPECT_EQ(one.rightX, 0.0f);
	latch.Disconnect(3);
	EXPECT_FALSE(latch.AnyConnected());
	EXPECT_EQ(latch.Take().rightTrigger, 0.0f);
}

TEST(GamepadLatch, APressShorterThanAFrameShowsToTheNextTakeOnly) {
	GamepadLatch latch;
	latch.Connect(0);
	latch.SetButton(0, GamepadButton::A, true);
	latch.SetButton(0, GamepadButton::A, false);
	latch.SetAxis(0, GamepadAxis::RightTrigger, 1.0f);
	latch.SetAxis(0, GamepadAxis::RightTrigger, 0.0f);
	EXPECT_FALSE(latch.Held().a);
	const GamepadState taken = latch.Take();
	EXPECT_TRUE(taken.a);
	EXPECT_EQ(taken.rightTrigger, 1.0f);
	const GamepadState next = latch.Take();
	EXPECT_FALSE(next.a);
	EXPECT_EQ(next.rightTrigger, 0.0f);

	// A press that went to a message box is dropped; one still held is not.
	latch.SetButton(0, GamepadButton::LeftShoulder, true);
	latch.SetButton(0, GamepadButton::A, true);
	latch.SetButton(0, GamepadButton::A, false);
	latch.DropPresses();
	const GamepadState afterBox = latch.Take();
	EXPECT_FALSE(afterBox.a);
	EXPECT_TRUE(afterBox.leftShoulder);
}

}  // namespace
