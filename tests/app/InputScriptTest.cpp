// The headless runner's input file: grammar, error reports, and what the
// commands do to the scripted backend.

#include "app/InputScript.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

namespace {

TEST(InputScript, ReadsEveryCommandOfTheGrammar) {
	InputScript script;
	const bool ok = script.Parse(
		"# walk forward, shoot, close the window and confirm\n"
		"\n"
		"0 down W\n"
		"  3 up w  \n"
		"2 down LBUTTON\n"
		"2 down rbutton\n"
		"4 move -12 7\n"
		"5 down ESCAPE\n"
		"9 close\n"
		"answer no\n"
		"ANSWER YES\n");
	ASSERT_TRUE(ok) << script.Errors().front();
	const std::vector<InputCommand>& commands = script.Commands();
	ASSERT_EQ(commands.size(), 9u);
	EXPECT_EQ(commands[0].kind, InputCommand::Kind::KeyDown);
	EXPECT_EQ(commands[0].virtualKey, 'W');
	EXPECT_EQ(commands[1].kind, InputCommand::Kind::KeyUp);
	EXPECT_EQ(commands[1].frame, 3u);
	EXPECT_EQ(commands[2].virtualKey, VK_LBUTTON);
	EXPECT_EQ(commands[3].virtualKey, VK_RBUTTON);
	EXPECT_EQ(commands[4].kind, InputCommand::Kind::Move);
	EXPECT_EQ(commands[4].dx, -12);
	EXPECT_EQ(commands[4].dy, 7);
	EXPECT_EQ(commands[5].virtualKey, VK_ESCAPE);
	EXPECT_EQ(commands[6].kind, InputCommand::Kind::Close);
	EXPECT_EQ(commands[6].frame, 9u);
	EXPECT_FALSE(commands[7].yes);
	EXPECT_TRUE(commands[8].yes);
	EXPECT_EQ(commands[8].line, 11);
}

TEST(InputScript, ReportsEachBadLineWithItsNumberAndKeepsTheGoodOnes) {
	InputScript script;
	const bool ok = script.Parse(
		"0 down W\n"
		"1 down Q\n"          // not a game key
		"x up W\n"            // no frame number
		"-1 close\n"          // frames are not negative
		"2 move 3\n"          // one coordinate
		"3 close now\n"       // trailing word
		"answer maybe\n"
		"4 jump\n"
		"99999999999 close\n"  // beyond 32 bits
		"5 up A\n");
	EXPECT_FALSE(ok);
	ASSERT_EQ(script.Errors().size(), 8u);
	EXPECT_EQ(script.Errors()[0].rfind("line 2:", 0), 0u) << script.Errors()[0];
	EXPECT_EQ(script.Errors()[1].rfind("line 3:", 0), 0u);
	EXPECT_EQ(script.Errors()[2].rfind("line 4:", 0), 0u);
	EXPECT_EQ(script.Errors()[6].rfind("line 8:", 0), 0u);
	EXPECT_EQ(script.Errors()[7].rfind("line 9:", 0), 0u);
	ASSERT_EQ(script.Commands().size(), 2u);
	EXPECT_EQ(script.Commands()[1].virtualKey, 'A');
}

TEST(InputScript, TakesOneSeedLine) {
	InputScript script;
	ASSERT_TRUE(script.Parse("# recorded\nSEED 4294967295\nanswer no\n0 down W\n"));
	ASSERT_TRUE(script.Seed().has_value());
	EXPECT_EQ(*script.Seed(), 4294967295u);
	EXPECT_EQ(script.Commands().size(), 2u);

	ASSERT_TRUE(script.Parse("0 down W\n"));
	EXPECT_FALSE(script.Seed().has_value()) << "a seed left from the last parse";

	EXPECT_FALSE(script.Parse("seed 1\nseed 2\n"));
	EXPECT_EQ(script.Errors().front().rfind("line 2:", 0), 0u) << script.Errors().front();
	for (const char* bad : {"seed\n", "seed -1\n", "seed 4294967296\n", "seed 1 2\n", "seed x\n"}) {
		EXPECT_FALSE(script.Parse(bad)) << bad;
		EXPECT_FALSE(script.Seed().has_value()) << bad;
	}
}

TEST(InputScript, DrivesTheScriptedBackendFrameByFrame) {
	InputScript script;
	ASSERT_TRUE(script.Parse("1 down D\n1 move 4 -2\n3 up D\nanswer yes\nanswer no\n"));
	ScriptedSystemBackend backend;
	script.ApplyTo(backend);
	EXPECT_FALSE(backend.IsKeyDown('D'));
	const POINT start = backend.CursorPosition();
	backend.AdvanceFrame();
	EXPECT_TRUE(backend.IsKeyDown('D'));
	EXPECT_EQ(backend.CursorPosition().x, start.x + 4);
	EXPECT_EQ(backend.CursorPosition().y, start.y - 2);
	backend.AdvanceFrame();
	backend.AdvanceFrame();
	EXPECT_FALSE(backend.IsKeyDown('D'));

	// Answers are used in the order the file gives them.
	const UINT question = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
	EXPECT_EQ(backend.ShowMessageBox(nullptr, "フルスクリーンにしますか？", "確認", question), IDYES);
	EXPECT_EQ(backend.ShowMessageBox(nullptr, "終了しますか？", "確認", question), IDNO);
}

}  // namespace
