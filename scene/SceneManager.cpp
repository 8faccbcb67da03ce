#include "scene/SceneManager.h"

#include "scene/CGame.h"
#include "scene/Result.h"
#include "scene/SceneBase.h"
#include "scene/Title.h"

#include <utility>

SceneManager* sceneManager = nullptr;

SceneBase* CreateGameScene(int32_t id) {
	switch (id) {
	case SCENE_TITLE:
		return new Title();
	case SCENE_GAME:
		return new CGame();
	case SCENE_RESULT:
		return new Result();
	default:
		return nullptr;
	}
}

SceneManager::SceneManager() : SceneManager(CreateGameScene) {}

SceneManager::SceneManager(SceneFactory factory) : createScene(std::move(factory)) {
	scene = createScene(SCENE_TITLE);
}

SceneManager::~SceneManager() {
	if (scene != nullptr) {
		scene->Uninit();
		delete scene;
	}
	scene = nullptr;
	map.Release();
	mapNormals.clear();
	mapNormals.shrink_to_fit();
	stageObjects.clear();
	stageObjects.shrink_to_fit();
	enemies.clear();
	enemies.shrink_to_fit();
}

void SceneManager::Update() {
	if (scene == nullptr) {
		return;
	}
	const int32_t next = scene->Update();
	if (next != scene->id) {
		SwitchTo(next);
	}
}

void SceneManager::Draw() {
	if (scene != nullptr) {
		scene->Draw();
	}
}

void SceneManager::SwitchTo(int32_t id) {
	if (scene != nullptr) {
		scene->Uninit();
		delete scene;
		scene = nullptr;
	}
	scene = createScene(id);
}
