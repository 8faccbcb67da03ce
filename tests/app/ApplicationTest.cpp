// The main loop's pacing and quit flow, driven through the scripted backend
// with logging scenes and without a graphics device (Present is skipped
// while there is none; the scenes' draws stand in for it to count frames).

#include "SceneTestSupport.h"

#include "app/Application.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/DataPath.h"
#include "platform/system/ScriptedSystemBackend.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

namespace {

const UINT QUIT_BOX = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST;

class ApplicationTest : public ::testing::Test {
protected:
	void SetUp() override {
		SetSystemBackend(&backend);
		backend.UseManualClock(1000);
		Application& application = Application::Get();
		application.closeRequested = false;
		application.quitting = false;
		ASSERT_TRUE(application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720));
		application.SetSceneFactory([this](int32_t) -> SceneBase* {
			return new LoggingScene(
				log, "scene", sceneId,
				[this] {
					if (frameWork) {
						backend.AdvanceClock(frameWork(backend.Frame()));
					}
					return sceneId;
				},
				[this] { EndFrame(); });
		});
	}

	void TearDown() override {
		Application& application = Application::Get();
		delete sceneManager;
		sceneManager = nullptr;
		DestroyWindow(application.window);
		UnregisterClassA("Window", nullptr);
		application.window = nullptr;
		application.SetSceneFactory(CreateGameScene);
		SetSystemBackend(nullptr);
	}

	// What Present does for the runner: count the frame, and stop after the
	// last one the test wants.
	void EndFrame() {
		backend.AdvanceFrame();
		if (backend.Frame() >= framesToRun) {
			Application::Get().quitting = true;
		}
	}

	int Run() { return Application::Get().Run(); }

	ScriptedSystemBackend backend;
	SceneLog log;
	int32_t sceneId = SCENE_TITLE;
	uint32_t framesToRun = 1000;
	std::function<DWORD(uint32_t frame)> frameWork;  // milliseconds each frame's update takes
};

TEST(FramePacing, SleepsUpToSixteenMillisecondsAcrossTimerWraps) {
	EXPECT_EQ(Application::PacingSleep(100, 105), 11u);
	EXPECT_EQ(Application::PacingSleep(100, 100), 16u);
	EXPECT_EQ(Application::PacingSleep(100, 115), 1u);
	EXPECT_EQ(Application::PacingSleep(100, 116), 0u);
	EXPECT_EQ(Application::PacingSleep(100, 400), 0u);
	// 0xFFFFFFF0 to 0x00000002 is 18 ms, not minus four billion.
	EXPECT_EQ(Application::PacingSleep(0xFFFFFFF0u, 0x00000002u), 0u);
	EXPECT_EQ(Application::PacingSleep(0xFFFFFFFEu, 0x00000003u), 11u);
}

TEST_F(ApplicationTest, CreatingTheWindowGivesAHidden1280x720ClientAtTheTopLeft) {
	const Application& application = Application::Get();
	EXPECT_EQ(application.clientWidth, 1280);
	EXPECT_EQ(application.clientHeight, 720);
	RECT frame = {};
	ASSERT_TRUE(GetWindowRect(application.window, &frame));
	EXPECT_EQ(frame.left, 0);
	EXPECT_EQ(frame.top, 0);
	SDL_Window* sdl = PlatformWindowSdl(application.window);
	EXPECT_STREQ(SDL_GetWindowTitle(sdl), "VORTANE");
	EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN, 0u);
	EXPECT_EQ(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE, 0u);
}

TEST_F(ApplicationTest, FramesShorterThanSixteenMillisecondsSleepTheRest) {
	// The 20 ms frame ends 4 ms late; the next one sleeps 4 ms less, so four
	// frames take four times 16 ms.
	const std::vector<DWORD> work = {5, 16, 20, 0};
	frameWork = [&](uint32_t frame) { return work[frame]; };
	framesToRun = 4;
	const DWORD start = timeGetTime();
	EXPECT_EQ(Run(), 0);
	EXPECT_EQ(backend.Sleeps(), (std::vector<DWORD>{11, 12}));
	EXPECT_EQ(timeGetTime() - start, 4u * 16u);
}

TEST_F(ApplicationTest, PacingMeasuresAcrossTheTimerWrap) {
	backend.UseManualClock(0xFFFFFFF0u);
	// Frame 0 ends at 0x00000002 after 18 ms, 2 ms late: no sleep. Frame 1
	// starts there, takes 5 ms and sleeps to 0x00000010.
	frameWork = [](uint32_t frame) -> DWORD { return frame == 0 ? 18 : 5; };
	framesToRun = 2;
	Run();
	EXPECT_EQ(backend.Sleeps(), (std::vector<DWORD>{9}));
}

TEST_F(ApplicationTest, WithoutCatchingUpEveryFrameSleepsTheRestOfItsOwnSixteenMilliseconds) {
	Application::Get().SetCatchUpEnabled(false);
	const std::vector<DWORD> work = {5, 16, 50, 0};
	frameWork = [&](uint32_t frame) { return work[frame]; };
	std::vector<bool> pictured;
	Application::Get().SetFrameObserver([&](const FrameTiming& timing) { pictured.push_back(timing.pictured); });
	framesToRun = 4;
	EXPECT_EQ(Run(), 0);
	Application::Get().SetFrameObserver(nullptr);
	Application::Get().SetCatchUpEnabled(true);
	EXPECT_EQ(backend.Sleeps(), (std::vector<DWORD>{11, 16}));
	EXPECT_EQ(pictured, (std::vector<bool>{true, true, true, true}));
}

TEST_F(ApplicationTest, SlowPicturesAreFollowedByFramesRunWithoutPicturesUntilTheClockIsKept) {
	// Pictured frames take 50 ms and unseen ones 1 ms: each picture owes two
	// frames, now and then three, which run at once with the device told to
	// skip their pixels.
	std::vector<bool> skippedInFrame;
	frameWork = [&](uint32_t) -> DWORD {
		skippedInFrame.push_back(PictureSkipped());
		return PictureSkipped() ? 1 : 50;
	};
	std::vector<bool> pictured;
	Application::Get().SetFrameObserver([&](const FrameTiming& timing) { pictured.push_back(timing.pictured); });
	framesToRun = 300;
	const DWORD start = timeGetTime();
	EXPECT_EQ(Run(), 0);
	Application::Get().SetFrameObserver(nullptr);
	EXPECT_FALSE(PictureSkipped()) << "the loop leaves pictures on";
	ASSERT_EQ(pictured.size(), 300u);
	ASSERT_EQ(skippedInFrame.size(), 300u);
	int unseenInARow = 0;
	for (size_t frame = 0; frame < pictured.size(); ++frame) {
		EXPECT_EQ(skippedInFrame[frame], !pictured[frame]) << frame;
		if (pictured[frame] && frame > 0) {
			EXPECT_GE(unseenInARow, 2) << frame;
			EXPECT_LE(unseenInARow, 3) << frame;
		}
		unseenInARow = pictured[frame] ? 0 : unseenInARow + 1;
	}
	EXPECT_TRUE(pictured[0]);
	// The game kept its clock: 300 frames in 300 x 16 ms, give or take one.
	EXPECT_NEAR(double(timeGetTime() - start), 300.0 * 16.0, 16.0);
}

TEST_F(ApplicationTest, CloseAnsweredNoKeepsTheSceneAndAsksAgainOnlyAfterTheNextClose) {
	backend.CloseWindow(2);
	backend.CloseWindow(6);
	backend.QueueAnswer(IDNO);
	backend.QueueAnswer(IDNO);
	framesToRun = 9;
	EXPECT_EQ(Run(), 0);

	const auto& asked = backend.Questions();
	ASSERT_EQ(asked.size(), 2u);
	EXPECT_EQ(asked[0].frame, 2u);
	EXPECT_EQ(asked[1].frame, 6u);
	EXPECT_EQ(asked[0].text, "終了しますか？");
	EXPECT_EQ(asked[0].caption, "確認");
	EXPECT_EQ(asked[0].type, QUIT_BOX);
	EXPECT_FALSE(Application::Get().closeRequested);
	// One scene all along, never ended by the loop.
	EXPECT_EQ(log.Count("scene.init"), 1);
	EXPECT_EQ(log.Count("scene.uninit"), 0);
	EXPECT_EQ(log.Count("scene.update"), 9);
	ASSERT_NE(sceneManager, nullptr);
}

TEST_F(ApplicationTest, YesToTheCloseQuestionEndsTheLoopBeforeAnyFurtherFrame) {
	backend.CloseWindow(3);
	backend.QueueAnswer(IDYES);
	EXPECT_EQ(Run(), 0);
	EXPECT_TRUE(Application::Get().quitting);
	EXPECT_EQ(sceneManager, nullptr);
	EXPECT_EQ(log.Count("scene.update"), 3);
	EXPECT_EQ(log.Count("scene.draw"), 3);
	const std::vector<std::string> ending(log.events.end() - 3, log.events.end());
	EXPECT_EQ(ending, (std::vector<std::string>{"scene.draw", "scene.uninit", "scene.destroy"}));
	EXPECT_EQ(log.Count("scene.uninit"), 1);
}

TEST_F(ApplicationTest, EscapeOnTheTitleAsksToQuitWhileHeld) {
	backend.SetKey(2, VK_ESCAPE, true);
	backend.QueueAnswer(IDNO);
	backend.QueueAnswer(IDYES);
	EXPECT_EQ(Run(), 0);
	const auto& asked = backend.Questions();
	ASSERT_EQ(asked.size(), 2u);
	EXPECT_EQ(asked[0].text, "終了しますか？");
	EXPECT_EQ(asked[0].caption, "確認");
	EXPECT_EQ(asked[0].type, QUIT_BOX);
	EXPECT_EQ(asked[0].frame, 2u);
	EXPECT_EQ(asked[1].frame, 3u);
	EXPECT_EQ(log.Count("scene.update"), 3);
	EXPECT_EQ(log.Count("scene.uninit"), 1);
}

TEST_F(ApplicationTest, EscapeOutsideTheTitleIsLeftToTheScene) {
	sceneId = SCENE_GAME;
	backend.SetKey(0, VK_ESCAPE, true);
	backend.QueueAnswer(IDYES);
	framesToRun = 4;
	EXPECT_EQ(Run(), 0);
	EXPECT_TRUE(backend.Questions().empty());
	EXPECT_EQ(log.Count("scene.update"), 4);
}

TEST_F(ApplicationTest, WindowCloseOnlyRequestsTheQuestion) {
	Application& application = Application::Get();
	EXPECT_EQ(Application::WindowProc(application.window, WM_CLOSE, 0, 0), 0);
	EXPECT_TRUE(application.closeRequested);
	EXPECT_TRUE(IsWindow(application.window));
}

// The game's exit code is 0 even when it cannot start at all.
TEST(GameProcess, ExitsWithZeroWhenNoWindowCanBeMade) {
	const std::string command = "SDL_VIDEODRIVER=no-such-driver '" + DataRoot() + "vortane' >/dev/null 2>&1";
	const int status = std::system(command.c_str());
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
