// The whole loop a player sees: title, a click, the loading picture, the
// battle (won at once: the test clears the stage as if every enemy had been
// destroyed), its fade, the success picture, a click, the title again,
// through the game's own scene manager. And through vortane-run with the
// input script kept beside this file: title, battle, Escape and Yes, title.

#include "app/LiveObjects.h"
#include "enemy/EnemyBase.h"
#include "scene/CGame.h"
#include "scene/Result.h"
#include "scene/SceneManager.h"
#include "scene/Title.h"
#include "tests/ChildProcess.h"
#include "tests/RunnerOutput.h"
#include "tests/scenes/SceneTestSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

using namespace scenes;

namespace {

// The frames the script's two clicks give (see full_loop.txt).
constexpr int BATTLE_STARTS = 66;
constexpr int RESULT_STARTS = 186;
constexpr int TITLE_RETURNS = 260;
constexpr int LOOP_FRAMES = 270;

class SceneLoopTest : public SceneDeviceTest {
protected:
	void SetUp() override {
		SceneDeviceTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		Application& application = Application::Get();
		application.plainShader.Init();
		application.modelShader.Init();
		application.blurFilter.Init();
		application.shadowMap.Init();
	}

	void TearDown() override {
		Application& application = Application::Get();
		application.plainShader.Release();
		application.modelShader.Release();
		application.blurFilter.Release();
		application.shadowMap.Release();
		SceneDeviceTest::TearDown();
	}
};

TEST_F(SceneLoopTest, TitleBattleResultTitleThroughTheGamesSceneManager) {
	sceneManager = new SceneManager();
	ASSERT_NE(sceneManager->scene, nullptr);
	backend.SetKey(10, VK_LBUTTON, true);
	backend.SetKey(11, VK_LBUTTON, false);
	backend.SetKey(200, VK_LBUTTON, true);
	backend.SetKey(201, VK_LBUTTON, false);

	// The frame at which each scene became current.
	std::map<int, int32_t> switches;
	int32_t current = sceneManager->scene->id;
	switches[-1] = current;
	for (int frame = 0; frame < LOOP_FRAMES; ++frame) {
		sceneManager->Update();
		ASSERT_NE(sceneManager->scene, nullptr) << frame;
		if (sceneManager->scene->id != current) {
			current = sceneManager->scene->id;
			switches[frame] = current;
			if (current == SCENE_GAME) {
				for (EnemyBase* enemy : sceneManager->enemies) {
					delete enemy;
				}
				sceneManager->enemies.clear();
			}
			// A new scene is drawn in its switch frame, before its first update.
			sceneManager->Draw();
		}
		if (frame == RESULT_STARTS) {
			// Won with no enemy left.
			EXPECT_FALSE(Application::Get().battleFailed);
			const auto* result = dynamic_cast<const Result*>(sceneManager->scene);
			ASSERT_NE(result, nullptr);
			EXPECT_NE(result->resultTexture.fileName.find("Result.png"), std::string::npos);
		}
		EXPECT_FALSE(backend.CursorVisible()) << frame;
		backend.AdvanceFrame();
	}
	const std::map<int, int32_t> expected = {
		{-1, SCENE_TITLE}, {BATTLE_STARTS, SCENE_GAME}, {RESULT_STARTS, SCENE_RESULT}, {TITLE_RETURNS, SCENE_TITLE}};
	EXPECT_EQ(switches, expected);
	// The battle emptied what it filled.
	EXPECT_TRUE(sceneManager->stageObjects.empty());
	EXPECT_TRUE(sceneManager->mapNormals.empty());
	delete sceneManager;
	sceneManager = nullptr;
}

// Runs one title -> battle -> result -> title loop from frame 0 of the
// backend's clock, the robot firing its gun through the battle's fade.
// inBattle: what was live in the battle's fade.
void PlayOneLoop(ScriptedSystemBackend& backend, LiveObjects& inBattle) {
	const uint32_t start = backend.Frame();
	backend.SetKey(start + 10, VK_LBUTTON, true);
	backend.SetKey(start + 11, VK_LBUTTON, false);
	backend.SetKey(start + 70, VK_LBUTTON, true);
	backend.SetKey(start + 150, VK_LBUTTON, false);
	backend.SetKey(start + 200, VK_LBUTTON, true);
	backend.SetKey(start + 201, VK_LBUTTON, false);
	int32_t current = sceneManager->scene->id;
	for (int frame = 0; frame < LOOP_FRAMES; ++frame) {
		sceneManager->Update();
		ASSERT_NE(sceneManager->scene, nullptr) << frame;
		if (sceneManager->scene->id != current) {
			current = sceneManager->scene->id;
			if (current == SCENE_GAME) {
				for (EnemyBase* enemy : sceneManager->enemies) {
					delete enemy;
				}
				sceneManager->enemies.clear();
			}
			sceneManager->Draw();
		}
		if (frame == 140) {
			ASSERT_EQ(current, SCENE_GAME);
			inBattle = CountLiveObjects();
		}
		backend.AdvanceFrame();
	}
	ASSERT_EQ(sceneManager->scene->id, SCENE_TITLE);
}

TEST_F(SceneLoopTest, EveryLoopEndsWithTheSameObjectsLiveOnTheDeviceAndInTheSoundLayer) {
	sceneManager = new SceneManager();
	ASSERT_NE(sceneManager->scene, nullptr);
	LiveObjects inBattle;
	PlayOneLoop(backend, inBattle);
	const LiveObjects afterFirst = CountLiveObjects();
	// The counts see what the battle loads, and what it gives back.
	EXPECT_GT(afterFirst.textures, 0);
	EXPECT_GT(afterFirst.programs, 0);
	EXPECT_GT(inBattle.textures, afterFirst.textures);
	EXPECT_GT(inBattle.buffers, afterFirst.buffers);
	EXPECT_GT(inBattle.effects, 0);
	EXPECT_GT(inBattle.voices, afterFirst.voices);
	EXPECT_EQ(afterFirst.effects, 0);
	EXPECT_EQ(afterFirst.effectInstances, 0);
	PlayOneLoop(backend, inBattle);
	const LiveObjects afterSecond = CountLiveObjects();
	EXPECT_TRUE(afterSecond.SameHoldingsAs(afterFirst)) << afterFirst.ToJson() << "\n" << afterSecond.ToJson();
	delete sceneManager;
	sceneManager = nullptr;
}

ChildOutcome RunRunner(const std::string& arguments) {
	return RunShellCommand("SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' " + arguments + " 2>&1");
}


TEST(SceneLoopRunnerTest, TheRunnerTracesTitleBattleAndBackToTheTitleFrameByFrame) {
	// Escape in the battle at frame 100, answered Yes (see full_loop.txt).
	constexpr int ESCAPED = 100;
	constexpr int RUNNER_FRAMES = 130;
	const std::filesystem::path script = std::filesystem::path(__FILE__).parent_path() / "full_loop.txt";
	ASSERT_TRUE(std::filesystem::exists(script)) << script;
	const ChildOutcome run = RunRunner("--frames " + std::to_string(RUNNER_FRAMES) +
	                                   " --seed 5 --json --trace-scenes --input '" + script.string() + "'");
	ASSERT_EQ(run.exitCode, 0) << run.output;
	const std::vector<int> scenes = TracedScenes(run.output);
	ASSERT_EQ(scenes.size(), size_t(RUNNER_FRAMES)) << run.output;
	for (int frame = 0; frame < RUNNER_FRAMES; ++frame) {
		const int expected = frame >= BATTLE_STARTS && frame < ESCAPED ? SCENE_GAME : SCENE_TITLE;
		ASSERT_EQ(scenes[frame], expected) << "frame " << frame;
	}
	EXPECT_NE(run.output.find("タイトルに戻りますか？ -> yes"), std::string::npos) << run.output;
	EXPECT_NE(run.output.find("{\"frames\":130,\"scene\":1,"), std::string::npos) << run.output;
}

}  // namespace
