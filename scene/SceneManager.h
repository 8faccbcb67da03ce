#pragma once
// Owns the current scene and replaces it when its Update names another,
// and is the registry through which the battle's objects find one another.
// Reached through the process-wide `sceneManager`, set by the main loop.

#include "platform/math/D3DXMath.h"
#include "render/MapModel.h"

#include <cstdint>
#include <functional>
#include <vector>

class SceneBase;
class EnemyBase;
class StageObject;

class SceneManager {
public:
	// Creates the scene for an id; the game's own is CreateGameScene.
	using SceneFactory = std::function<SceneBase*(int32_t id)>;

	SceneManager();
	explicit SceneManager(SceneFactory factory);
	~SceneManager();

	SceneManager(const SceneManager&) = delete;
	SceneManager& operator=(const SceneManager&) = delete;

	void Update();
	void Draw();
	// Ends the current scene and starts the one with the given id, loading
	// included, inside the frame that asked for it.
	void SwitchTo(int32_t id);

	// Null only inside a switch, during destruction, or for an id whose
	// scene the game does not have yet.
	SceneBase* scene = nullptr;
	// The lists hold plain pointers: the battle fills them and deletes their
	// elements; the manager only frees the lists' storage.
	std::vector<EnemyBase*> enemies;
	std::vector<StageObject*> stageObjects;
	std::vector<D3DXVECTOR3*> mapNormals;
	// The stage map: loaded at the start of a battle, released at its end.
	MapModel map;

private:
	SceneFactory createScene;
};

extern SceneManager* sceneManager;

// The one place that maps scene ids to scenes.
SceneBase* CreateGameScene(int32_t id);
