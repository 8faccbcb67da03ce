// The scripted input path that tests and the headless runner drive the game
// through, seen from the Win32 calls the game makes.

#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class ScriptedBackendTest : public ::testing::Test {
protected:
	void SetUp() override { SetSystemBackend(&backend); }
	void TearDown() override { SetSystemBackend(nullptr); }

	static bool Held(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

	ScriptedSystemBackend backend;
};

TEST_F(ScriptedBackendTest, KeysAreHeldFromTheirDownFrameUntilTheirUpFrame) {
	backend.SetKey(2, 'W', true);
	backend.SetKey(4, 'W', false);
	backend.SetKey(0, VK_LBUTTON, true);
	std::vector<bool> held;
	for (int frame = 0; frame < 6; ++frame) {
		held.push_back(Held('W'));
		backend.AdvanceFrame();
	}
	EXPECT_EQ(held, (std::vector<bool>{false, false, true, true, false, false}));
	EXPECT_TRUE(Held(VK_LBUTTON));
	EXPECT_FALSE(Held(VK_RBUTTON));
	EXPECT_FALSE(Held(VK_ESCAPE));
}

TEST_F(ScriptedBackendTest, ChangesWithinOneFrameApplyInScriptOrder) {
	backend.SetKey(1, 'A', true);
	backend.SetKey(1, 'A', false);
	backend.SetKey(1, 'D', false);
	backend.SetKey(1, 'D', true);
	backend.AdvanceFrame();
	EXPECT_FALSE(Held('A'));
	EXPECT_TRUE(Held('D'));
}

TEST_F(ScriptedBackendTest, CursorMotionAddsUpUntilTheGameSetsTheCursor) {
	POINT start = {};
	ASSERT_TRUE(GetCursorPos(&start));
	backend.MoveCursor(1, 10, -4);
	backend.MoveCursor(1, 5, 0);
	backend.MoveCursor(2, -3, 3);

	POINT point = {};
	GetCursorPos(&point);
	EXPECT_EQ(point.x, start.x);  // frame 1's motion has not happened yet
	backend.AdvanceFrame();
	GetCursorPos(&point);
	EXPECT_EQ(point.x, start.x + 15);
	EXPECT_EQ(point.y, start.y - 4);

	// Re-centring, as the battle does each frame, then the next frame's motion.
	SetCursorPos(640, 360);
	backend.AdvanceFrame();
	GetCursorPos(&point);
	EXPECT_EQ(point.x, 637);
	EXPECT_EQ(point.y, 363);
}

TEST_F(ScriptedBackendTest, QuestionsTakeQueuedAnswersInOrderAndOtherwiseNo) {
	backend.QueueAnswer(IDYES);
	backend.QueueAnswer(IDNO);
	backend.QueueAnswer(IDYES);
	const UINT question = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
	EXPECT_EQ(MessageBoxA(nullptr, "フルスクリーンにしますか？", "確認", question), IDYES);
	// An OK box is no question and leaves the queue alone.
	EXPECT_EQ(MessageBoxA(nullptr, "Direct3D初期化ミス", "", MB_OK), IDOK);
	EXPECT_EQ(MessageBoxA(nullptr, "終了しますか？", "確認", question | MB_TOPMOST), IDNO);
	EXPECT_EQ(MessageBoxA(nullptr, "終了しますか？", "確認", question | MB_TOPMOST), IDYES);
	EXPECT_EQ(backend.AnswersLeft(), 0u);
	EXPECT_EQ(MessageBoxA(nullptr, "終了しますか？", "確認", MB_YESNO), IDNO);

	const auto& asked = backend.Questions();
	ASSERT_EQ(asked.size(), 5u);
	EXPECT_EQ(asked[0].text, "フルスクリーンにしますか？");
	EXPECT_EQ(asked[0].caption, "確認");
	EXPECT_EQ(asked[1].type, MB_OK);
	EXPECT_EQ(asked[2].type & MB_TOPMOST, MB_TOPMOST);
	EXPECT_EQ(asked[3].answer, IDYES);
}

TEST_F(ScriptedBackendTest, ManualClockMovesOnlyByAdvancesAndSleeps) {
	backend.UseManualClock(0xFFFFFFF0u);
	EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
	backend.AdvanceClock(5);
	Sleep(11);
	// The clock wraps like the multimedia timer.
	EXPECT_EQ(timeGetTime(), 0x00000000u);
	EXPECT_EQ(backend.Sleeps(), (std::vector<DWORD>{11}));
}

TEST_F(ScriptedBackendTest, CursorIsHiddenWhileTheDisplayCountIsNegative) {
	const int start = ShowCursor(TRUE) - 1;
	ShowCursor(FALSE);
	ASSERT_EQ(ShowCursor(FALSE), start - 1);
	EXPECT_EQ(backend.CursorVisible(), start - 1 >= 0);
	EXPECT_EQ(ShowCursor(FALSE), start - 2);
	EXPECT_EQ(ShowCursor(TRUE), start - 1);
	EXPECT_EQ(ShowCursor(TRUE), start);
	EXPECT_EQ(backend.CursorVisible(), start >= 0);
}

TEST(MessageBoxDefaults, NoIsTheDefaultOnlyWhenTheSecondButtonIsChosen) {
	EXPECT_EQ(MessageBoxDefaultAnswer(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
	EXPECT_EQ(MessageBoxDefaultAnswer(MB_YESNO | MB_ICONQUESTION), IDYES);
	EXPECT_EQ(MessageBoxDefaultAnswer(MB_OK | MB_ICONERROR), IDOK);
	EXPECT_TRUE(MessageBoxIsQuestion(MB_YESNO | MB_TOPMOST));
	EXPECT_FALSE(MessageBoxIsQuestion(MB_OK | MB_ICONQUESTION));
}

// Without a display the desktop backend cannot show a box and must answer
// as the box's default button would.
TEST(SdlMessageBox, WithoutADisplayTheDefaultButtonAnswers) {
	if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
		GTEST_SKIP() << "a display is present; the box would wait for a person";
	}
	SdlSystemBackend desktop;
	EXPECT_EQ(desktop.ShowMessageBox(nullptr, "終了しますか？", "確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
	          IDNO);
	EXPECT_EQ(desktop.ShowMessageBox(nullptr, "x", "y", MB_YESNO), IDYES);
	EXPECT_EQ(desktop.ShowMessageBox(nullptr, "Direct3D初期化ミス", "", MB_OK), IDOK);
}

}  // namespace
