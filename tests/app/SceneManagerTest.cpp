// The scene manager's lifecycle rules, watched through logging scenes.

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

namespace {

class SceneManagerTest : public ::testing::Test {
protected:
	// Scene 1 goes to whatever `nextFromTitle` says; scene 2 stays.
	SceneManager::SceneFactory Factory() {
		return [this](int32_t id) -> SceneBase* {
			created.push_back(id);
			if (id == SCENE_TITLE) {
				return new LoggingScene(log, "title", id, [this] { return nextFromTitle; });
			}
			if (id == SCENE_GAME) {
				return new LoggingScene(log, "game", id);
			}
			return CreateGameScene(id);
		};
	}

	SceneLog log;
	std::vector<int32_t> created;
	int32_t nextFromTitle = SCENE_TITLE;
};

TEST_F(SceneManagerTest, StartsWithTheTitleSceneAlreadyInitialised) {
	SceneManager manager(Factory());
	ASSERT_NE(manager.scene, nullptr);
	EXPECT_EQ(manager.scene->id, SCENE_TITLE);
	EXPECT_EQ(created, (std::vector<int32_t>{SCENE_TITLE}));
	EXPECT_EQ(log.events, (std::vector<std::string>{"title.init"}));
	EXPECT_TRUE(manager.enemies.empty());
	EXPECT_TRUE(manager.stageObjects.empty());
	EXPECT_TRUE(manager.mapNormals.empty());
}

TEST_F(SceneManagerTest, ReturningItsOwnIdKeepsTheSceneWithoutUninit) {
	SceneManager manager(Factory());
	SceneBase* const title = manager.scene;
	for (int frame = 0; frame < 3; ++frame) {
		manager.Update();
		manager.Draw();
	}
	EXPECT_EQ(manager.scene, title);
	EXPECT_EQ(log.Count("title.update"), 3);
	EXPECT_EQ(log.Count("title.draw"), 3);
	EXPECT_EQ(log.Count("title.uninit"), 0);
	EXPECT_EQ(log.Count("title.init"), 1);
	EXPECT_EQ(created.size(), 1u);
}

TEST_F(SceneManagerTest, ASwitchDrawsTheNewSceneOnceBeforeItsFirstUpdate) {
	SceneManager manager(Factory());
	nextFromTitle = SCENE_GAME;
	manager.Update();
	manager.Draw();
	manager.Update();
	manager.Draw();
	EXPECT_EQ(log.events, (std::vector<std::string>{"title.init", "title.update", "title.uninit", "title.destroy",
	                                                "game.init", "game.draw", "game.update", "game.draw"}));
	ASSERT_NE(manager.scene, nullptr);
	EXPECT_EQ(manager.scene->id, SCENE_GAME);
}

TEST_F(SceneManagerTest, DestructionEndsTheSceneOnceAndFreesOnlyTheListStorage) {
	D3DXVECTOR3 normal(0.0f, 1.0f, 0.0f);
	{
		SceneManager manager(Factory());
		manager.Update();
		// Elements belong to the battle: freeing this stack address would crash.
		manager.mapNormals.push_back(&normal);
	}
	EXPECT_EQ(log.Count("title.uninit"), 1);
	EXPECT_EQ(log.Count("title.destroy"), 1);
	EXPECT_EQ(log.events.back(), "title.destroy");
	EXPECT_EQ(normal.y, 1.0f);
}

TEST_F(SceneManagerTest, ScenesTheGameDoesNotHaveYetLeaveNoSceneAndNothingRuns) {
	SceneManager manager(Factory());
	// Every id from 1 to 3 has its scene now; 4 names none.
	manager.SwitchTo(4);
	EXPECT_EQ(manager.scene, nullptr);
	EXPECT_EQ(log.Count("title.uninit"), 1);
	manager.Update();
	manager.Draw();
	EXPECT_EQ(CreateGameScene(0), nullptr);
}

}  // namespace
