// A pad read through the game's frame input: merged with the keyboard and
// mouse into the keys and cursor the game polls, once a frame, and written
// down by the recorder as ordinary keys and motion. Pads come from the
// scripted backend's pad lines.

#include "app/FrameInputBackend.h"
#include "app/InputRecorder.h"
#include "app/InputScript.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// The cursor's resting point in these frames; the game puts it back there.
constexpr POINT CENTRE = ScriptedSystemBackend::START_CURSOR;

class PadInputTest : public ::testing::Test {
protected:
	void Script(const std::string& text) {
		InputScript script;
		ASSERT_TRUE(script.Parse(text)) << script.Errors().front();
		script.ApplyTo(backend);
	}

	// A battle frame's reads: the move keys by priority, the buttons, and
	// the cursor against the centre, which is then put back.
	struct Reading {
		char move = 0;
		bool left = false;
		bool right = false;
		int dx = 0;
		int dy = 0;
	};
	Reading Frame() {
		Reading reading;
		for (const char key : {'W', 'S', 'D', 'A'}) {
			if (input.IsKeyDown(key)) {
				reading.move = key;
				break;
			}
		}
		const POINT cursor = input.CursorPosition();
		reading.dx = cursor.x - CENTRE.x;
		reading.dy = cursor.y - CENTRE.y;
		input.SetCursorPosition(CENTRE);
		reading.left = input.IsKeyDown(VK_LBUTTON);
		reading.right = input.IsKeyDown(VK_RBUTTON);
		input.EndFrame();
		backend.AdvanceFrame();
		return reading;
	}

	ScriptedSystemBackend backend;
	FrameInputBackend input{backend};
};

TEST_F(PadInputTest, PadAndKeyboardWorkTogetherByTheKeyboardsPriority) {
	Script("0 down D\n0 stick left 0 -1\n1 stick left 0 0\n2 up D\n2 stick left -1 0\n3 down W\n");
	EXPECT_EQ(Frame().move, 'W');  // D held, stick ahead: W first
	EXPECT_EQ(Frame().move, 'D');  // the stick back in the middle
	EXPECT_EQ(Frame().move, 'A');  // the stick alone
	EXPECT_EQ(Frame().move, 'W');  // W over the stick's A
}

TEST_F(PadInputTest, TheRightStickAddsToTheMouseOnceAFrame) {
	Script("0 stick right 1 0\n0 move 5 -3\n2 stick right 0 -1\n3 stick right 0 0\n");
	Reading first = Frame();
	EXPECT_EQ(first.dx, 47);
	EXPECT_EQ(first.dy, -3);
	Reading second = Frame();
	EXPECT_EQ(second.dx, 42);
	EXPECT_EQ(second.dy, 0);
	Reading third = Frame();
	EXPECT_EQ(third.dx, 0);
	EXPECT_EQ(third.dy, -42);
	Reading still = Frame();
	EXPECT_EQ(still.dx, 0);
	EXPECT_EQ(still.dy, 0);
}

TEST_F(PadInputTest, ACursorReadTwiceInAFrameMovesOnce) {
	Script("0 stick right 1 0\n");
	const POINT first = input.CursorPosition();
	const POINT again = input.CursorPosition();
	EXPECT_EQ(first.x, CENTRE.x + 42);
	EXPECT_EQ(again.x, first.x);
	input.EndFrame();
	backend.AdvanceFrame();
	// Not put back: the motion adds up, as the mouse's would.
	EXPECT_EQ(input.CursorPosition().x, CENTRE.x + 84);
}

TEST_F(PadInputTest, TriggersShoulderAndAPressTheMouseButtons) {
	Script("0 trigger right 1\n1 trigger right 0.1\n1 trigger left 0.8\n2 trigger left 0\n2 pad down LB\n"
	       "3 pad up LB\n3 pad down A\n4 pad up A\n");
	Reading gun = Frame();
	EXPECT_TRUE(gun.left);
	EXPECT_FALSE(gun.right);
	Reading plasma = Frame();
	EXPECT_FALSE(plasma.left);
	EXPECT_TRUE(plasma.right);
	EXPECT_TRUE(Frame().right);
	Reading a = Frame();
	EXPECT_TRUE(a.left);
	EXPECT_FALSE(a.right);
	Reading none = Frame();
	EXPECT_FALSE(none.left);
	EXPECT_FALSE(none.right);
}

TEST_F(PadInputTest, AMessageBoxTakesThePadsKeysForTheRestOfTheFrame) {
	Script("0 stick left 0 -1\n0 trigger right 1\n");
	EXPECT_TRUE(input.IsKeyDown('W'));
	input.ShowMessageBox(nullptr, "?", "", MB_YESNO);
	EXPECT_FALSE(input.IsKeyDown('W'));
	EXPECT_FALSE(input.IsKeyDown(VK_LBUTTON));
	input.EndFrame();
	backend.AdvanceFrame();
	EXPECT_TRUE(input.IsKeyDown('W'));
}

TEST_F(PadInputTest, TheRecordingHoldsOrdinaryKeysAndMotionThatPlayBackWithoutAPad) {
	Script("0 stick left 0.7 -0.7\n1 stick right 1 0\n2 stick left 0 0\n2 trigger right 1\n3 trigger right 0\n"
	       "3 stick right 0 0\n");
	std::ostringstream text;
	InputRecorder recorder;
	recorder.WriteTo(text);
	input.SetRecorder(&recorder);
	std::vector<std::string> padReadings;
	for (int frame = 0; frame < 5; ++frame) {
		const Reading r = Frame();
		padReadings.push_back(std::string(1, r.move ? r.move : '-') + (r.left ? "L" : "-") + std::to_string(r.dx));
	}
	const std::string recording = text.str();
	EXPECT_EQ(recording,
	          "0 down W\n0 down D\n1 move 42 0\n2 up W\n2 up D\n2 move 42 0\n2 down LBUTTON\n3 up LBUTTON\n");

	ScriptedSystemBackend playback;
	InputScript script;
	ASSERT_TRUE(script.Parse(recording));
	script.ApplyTo(playback);
	FrameInputBackend replay(playback);
	std::vector<std::string> replayed;
	for (int frame = 0; frame < 5; ++frame) {
		char move = 0;
		for (const char key : {'W', 'S', 'D', 'A'}) {
			if (replay.IsKeyDown(key)) {
				move = key;
				break;
			}
		}
		const POINT cursor = replay.CursorPosition();
		replay.SetCursorPosition(CENTRE);
		const bool left = replay.IsKeyDown(VK_LBUTTON);
		replayed.push_back(std::string(1, move ? move : '-') + (left ? "L" : "-") + std::to_string(cursor.x - CENTRE.x));
		replay.EndFrame();
		playback.AdvanceFrame();
	}
	EXPECT_EQ(replayed, padReadings);
	EXPECT_EQ(padReadings[0], "W-0");
	EXPECT_EQ(padReadings[1], "W-42");
	EXPECT_EQ(padReadings[2], "-L42");
}

TEST(PadScript, ReadsStickTriggerAndButtonLines) {
	InputScript script;
	ASSERT_TRUE(script.Parse("5 stick left 0.5 -1\n6 STICK Right -0.25 0\n7 trigger right 1\n8 trigger LEFT 0\n"
	                         "9 pad down A\n10 pad up lb\n"));
	const std::vector<InputCommand>& commands = script.Commands();
	ASSERT_EQ(commands.size(), 6u);
	EXPECT_EQ(commands[0].kind, InputCommand::Kind::Stick);
	EXPECT_EQ(commands[0].frame, 5u);
	EXPECT_FALSE(commands[0].right);
	EXPECT_EQ(commands[0].x, 0.5f);
	EXPECT_EQ(commands[0].y, -1.0f);
	EXPECT_TRUE(commands[1].right);
	EXPECT_EQ(commands[1].x, -0.25f);
	EXPECT_EQ(commands[2].kind, InputCommand::Kind::Trigger);
	EXPECT_TRUE(commands[2].right);
	EXPECT_EQ(commands[2].x, 1.0f);
	EXPECT_FALSE(commands[3].right);
	EXPECT_EQ(commands[4].kind, InputCommand::Kind::PadDown);
	EXPECT_FALSE(commands[4].shoulder);
	EXPECT_EQ(commands[5].kind, InputCommand::Kind::PadUp);
	EXPECT_TRUE(commands[5].shoulder);
}

TEST(PadScript, RefusesBadPadLinesSayingWhy) {
	for (const char* bad : {"1 stick middle 0 0", "1 stick left 0", "1 stick left 0 0 0", "1 stick left 1.5 0",
	                        "1 stick right 0 -2", "1 stick left nan 0", "1 stick left x 0", "1 trigger right -0.1",
	                        "1 trigger right 2", "1 trigger right inf", "1 trigger up 1", "1 pad down B",
	                        "1 pad press A", "1 pad down", "stick left 0 0"}) {
		InputScript script;
		EXPECT_FALSE(script.Parse(bad)) << bad;
		ASSERT_EQ(script.Errors().size(), 1u) << bad;
		EXPECT_EQ(script.Errors().front().rfind("line 1: ", 0), 0u) << script.Errors().front();
		EXPECT_TRUE(script.Commands().empty()) << bad;
	}
}

}  // namespace
